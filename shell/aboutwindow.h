#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWebEngineView;

namespace quillet {

// The about window: a small browser showing the local about page (ProgramDir + "readme.htm"),
// with an address box, back and forward, links to the maker's pages and a button that opens the
// current page in the desktop's browser. Its captions and hints come from the language table
// of the run's language. Closing it only hides it; it keeps its history for the next showing.
// The web view is created when the window is first shown, so building the window costs little.
class Taboutform : public QWidget {
    Q_OBJECT

public:
    // Builds the window hidden, applies the "chinese" table and asks for the about page.
    explicit Taboutform(QWidget* parent = nullptr);

    // Applies the strings of Language/<language>_about.ini (numbers 1 to 8 and 10; a missing
    // number keeps the current text), then returns the web view to the about page. Without a
    // table for that language nothing changes; a table that cannot be read (or is refused: not a
    // regular file, larger than 1 MB) changes no text and is told in a warning box.
    void SetAboutLanguage(const QString& language);

    // Language whose strings are applied.
    QString AboutLanguage;
    // file:// address of ProgramDir + "readme.htm".
    QString AboutPageURL;
    // Last address the web view reported after a completed navigation.
    QString LastURL;

    QWidget* bsSkinPanel1;
    QWidget* bsSkinPanel2;
    QLabel* note;
    QLineEdit* Edit_input;
    QPushButton* bsSkinButton1;
    // Null until the window is first shown.
    QWebEngineView* WebBrowser = nullptr;
    QWidget* bsSkinPanel3;
    QToolButton* bsSkinSB_backword;
    QToolButton* bsSkinSB_forward;
    QToolButton* bsSkinSB_about;
    QToolButton* bsSkinSB_home;
    QToolButton* bsSkinSB_email;
    QToolButton* bsSkinSB_bbs;
    QToolButton* bsSkinSpeedButton1;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    bool Edit_inputKeyDown(QKeyEvent* event);
    void bsSkinButton1Click();
    void bsSkinSB_backwordClick();
    void bsSkinSB_forwardClick();
    void bsSkinSB_aboutClick();
    void bsSkinSB_homeClick();
    void bsSkinSB_bbsClick();
    void bsSkinSB_emailClick();
    void bsSkinSpeedButton1Click();
    void WebBrowserNavigateComplete2();
    void WebBrowserDownloadBegin();

    void buildAddressBar();
    void buildButtonBar();
    void createWebBrowser();
    void navigate(const QUrl& url);
    void reportProblem(const QString& text);
    QString currentAddress() const;

    // A navigation asked for before the web view exists; it is made when the view is created.
    QUrl pendingURL;
};

} // namespace quillet
