#pragma once

#include <QString>

// Texts of the program that exist in one language only and do not follow the
// active language of any word table.
namespace lang::fixed {

// Start of the main window's caption, before a directory or dictionary path.
inline QString captionPrefix() {
    return QStringLiteral("Korvanta - ");
}
// End of the main window's caption while a new dictionary is not yet tied.
inline QString notSavedSuffix() {
    return QStringLiteral(".db - Non enregistré");
}
// Printed heading before the dictionary name.
inline QString reportHeading() {
    return QStringLiteral("Dictionnaire: ");
}
// Report title (print job name) before the dictionary name.
inline QString reportTitle() {
    return QStringLiteral("Dictionary: ");
}
// Texts of the report printer.
inline QString reportPreparing() {
    return QStringLiteral("Préparation de l'état en cours");
}
inline QString reportPrinting() {
    return QStringLiteral("Impression");
}
// Warnings of the add-tables window.
inline QString emptySelection() {
    return QStringLiteral("Impossible to add an empty selection !");
}
inline QString tableNameUsed() {
    return QStringLiteral("Impossible operation... name of table yet used !");
}
// Status text of the code window, before the number of lines.
inline QString linesGenerated() {
    return QStringLiteral("Delphi code - Lines generated: ");
}
// Title of the application.
inline QString applicationTitle() {
    return QStringLiteral("Korvanta 1.0");
}

} // namespace lang::fixed
