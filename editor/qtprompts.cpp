#include "prompts.h"

#include "colorconvert.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

namespace quillet {

namespace {

QString boxTitle() {
    return QGuiApplication::applicationDisplayName();
}

} // namespace

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

} // namespace quillet
