#pragma once
// The one exception type of the dataset layer. Its message is French (UTF-8) and says
// what failed and on which table, e.g.
// "Filtre incorrect sur la table « paye.DB » : « CT>1 » (forme attendue : CHAMP=True ou
// CHAMP=False)". Engine failures are not wrapped: they reach the caller as engine::EngineError.
// Both derive from std::runtime_error, which is what the windows' error guard catches.

#include <QString>

#include <stdexcept>

namespace dataset {

class DatasetError : public std::runtime_error {
public:
    explicit DatasetError(const QString& message);
    QString text() const { return QString::fromUtf8(what()); }
};

// The way every dataset message names something: between French quotes.
QString quoted(const QString& name);

} // namespace dataset
