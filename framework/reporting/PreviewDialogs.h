#pragma once

#include <QString>

class QPrinter;
class QWidget;

namespace reporting {

// The dialogs the preview opens: the print dialog and the file dialogs for
// saving and loading a prepared report. Tests install their own answers.
class PreviewDialogs {
public:
    virtual ~PreviewDialogs() = default;
    // False when the user cancelled.
    virtual bool choosePrinter(QPrinter& printer, QWidget* parent) = 0;
    // The chosen file, empty when cancelled.
    virtual QString saveFileName(QWidget* parent) = 0;
    virtual QString openFileName(QWidget* parent) = 0;

    // The extension of a prepared report's file, without its dot.
    static inline const QString kSuffix = QStringLiteral("kvr");

    static PreviewDialogs& current();
    // Installs `dialogs` (not owned); nullptr restores Qt's dialogs.
    static void install(PreviewDialogs* dialogs);
};

} // namespace reporting
