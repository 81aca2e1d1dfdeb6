#pragma once

#include <QString>
#include <QStringList>

// Reading the KEY=value fields of a contact entry string.
namespace modParse {

// The value of the field, or "" when the source is empty or no field has that key (letter case
// counts). defaultValue only when the first field has no assignToken.
QString GetFieldValue(const QString& source, const QString& fieldName, const QString& delimiter,
                      const QString& assignToken, const QString& defaultValue);

// Cut at every delimiter, empty parts kept; an empty delimiter gives the source as one part.
QStringList SplitFields(const QString& source, const QString& delimiter);

}  // namespace modParse
