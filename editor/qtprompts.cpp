#include "prompts.h"

#include "colorconvert.h"

#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>

namespace quillet {

namespace {

QString boxTitle() {
    return QGuiApplication::applicationDisplayName();
}

} // namespace

QString ReplaceQuestion(const QString& fileName) {
    return QCoreApplication::translate("quillet::Prompts", "%1已经存在，是否覆盖它？").arg(fileName);
}

void QtPrompts::message(const QString& text) {
    QMessageBox::information(m_parent, boxTitle(), text);
}

bool QtPrompts::confirm(const QString& text) {
    QMessageBox box(QMessageBox::Question, boxTitle(), text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtPrompts::confirmDefaultNo(const QString& text) {
    QMessageBox box(QMessageBox::Question, boxTitle(), text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

Prompts::Answer QtPrompts::question(const QString& text) {
    QMessageBox box(QMessageBox::Question, boxTitle(), text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void QtPrompts::critical(const QString& text) {
    QMessageBox::critical(m_parent, boxTitle(), text);
}

QString QtPrompts::openFileName(const QString& title, const QString& folder, const QString& fileName,
                                const QString& filter) {
    QFileDialog dialog(m_parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QFileInfo proposed(fileName);
    if (proposed.isAbsolute()) dialog.setDirectory(proposed.absolutePath());
    if (!fileName.contains(QLatin1Char('*'))) dialog.selectFile(proposed.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

QString QtPrompts::saveFileName(const QString& title, const QString& fileName, const QString& filter,
                                const QString& defaultSuffix) {
    QFileDialog dialog(m_parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(defaultSuffix);
    const QFileInfo proposed(fileName);
    if (!fileName.isEmpty()) {
        dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

std::optional<TColor> QtPrompts::color(TColor initial) {
    const QColor chosen = QColorDialog::getColor(QColorOf(initial), m_parent);
    if (!chosen.isValid()) return std::nullopt;
    return TColorOf(chosen.rgb());
}

std::optional<AnimationChoice> QtPrompts::animationChoice(const QStringList& formats, const AnimationChoice& initial) {
    QDialog dialog(m_parent);
    dialog.setWindowTitle(QCoreApplication::translate("quillet::QtPrompts", "导出动画"));
    auto* format = new QComboBox(&dialog);
    format->setObjectName(QStringLiteral("format"));
    format->addItems(formats);
    format->setCurrentIndex(initial.format);
    auto* scale = new QSpinBox(&dialog);
    scale->setObjectName(QStringLiteral("scale"));
    scale->setRange(1, 4);
    scale->setValue(initial.options.scale);
    auto* loop = new QComboBox(&dialog);
    loop->setObjectName(QStringLiteral("loop"));
    loop->addItem(QCoreApplication::translate("quillet::QtPrompts", "一直循环"), static_cast<int>(LoopMode::Forever));
    loop->addItem(QCoreApplication::translate("quillet::QtPrompts", "播放一次"), static_cast<int>(LoopMode::Once));
    loop->addItem(QCoreApplication::translate("quillet::QtPrompts", "往返循环"), static_cast<int>(LoopMode::PingPong));
    loop->setCurrentIndex(loop->findData(static_cast<int>(initial.options.loop)));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(QCoreApplication::translate("quillet::QtPrompts", "格式"), format);
    form->addRow(QCoreApplication::translate("quillet::QtPrompts", "放大倍数"), scale);
    form->addRow(QCoreApplication::translate("quillet::QtPrompts", "循环"), loop);
    form->addRow(buttons);
    // Each field is named by its caption, as a screen reader says it.
    for (QWidget* field : {static_cast<QWidget*>(format), static_cast<QWidget*>(scale), static_cast<QWidget*>(loop)}) {
        if (const auto* caption = qobject_cast<QLabel*>(form->labelForField(field)))
            field->setAccessibleName(caption->text());
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return AnimationChoice{format->currentIndex(),
                           {scale->value(), static_cast<LoopMode>(loop->currentData().toInt())}};
}

} // namespace quillet
