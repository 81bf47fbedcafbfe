#pragma once

#include "prompts.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QWidget;

namespace quillet {

class AnimationWriter;
class DialogFolder;
class TFilmPanel;
class UnitPictures;
struct PageOptions;

// 文件 → 导出动画: asks for the format, scale and loop, then for the file, and writes the document's
// animation there on a worker thread while a window-modal progress dialog shows how far it got;
// its cancel button stops the export and leaves no file. Every unit's text area, as its picture
// shows it, is a frame on the page colour, shown for the page's speed. Failures are shown as the
// other commands show theirs, and what the format could not keep in a message.
class AnimationExportCommand : public QObject {
    Q_OBJECT

public:
    AnimationExportCommand(QWidget* window, Prompts& prompts, DialogFolder& dialogFolder);
    ~AnimationExportCommand() override;

    // Runs the command for the document; `proposal` is the file name proposed, without its
    // extension. Returns once the export has ended.
    void run(const TFilmPanel& strip, const UnitPictures& pictures, const PageOptions& page, const QString& proposal);

private:
    QWidget* m_window;
    Prompts& m_prompts;
    DialogFolder& m_dialogFolder;
    std::vector<std::unique_ptr<AnimationWriter>> m_writers;
    AnimationChoice m_last; // the dialog starts at the choice made last
};

} // namespace quillet
