#include "contacts/modParse.h"

#include "core/SharedState.h"

namespace modParse {

QString GetFieldValue(const QString& source, const QString& fieldName, const QString& delimiter,
                      const QString& assignToken, const QString& defaultValue) {
    if (source.isEmpty()) {
        return {};
    }
    const QString& separator =
        Shared().FieldSeparator.isEmpty() ? delimiter : Shared().FieldSeparator;
    const QStringList parts = SplitFields(source, separator);
    if (!parts.first().contains(assignToken, Qt::CaseInsensitive)) {
        return defaultValue;
    }
    for (const QString& part : parts) {
        const qsizetype at = part.indexOf(assignToken);
        if (at >= 0 && part.first(at) == fieldName) {
            return part.mid(at + assignToken.size());
        }
    }
    return {};
}

QStringList SplitFields(const QString& source, const QString& delimiter) {
    if (delimiter.isEmpty()) {
        return {source};
    }
    return source.split(delimiter, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

}  // namespace modParse
