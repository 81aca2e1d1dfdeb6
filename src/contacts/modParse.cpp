#include "contacts/modParse.h"

namespace modParse {

QString GetFieldValue(const QString& source, const QString& fieldName, const QString& delimiter,
                      const QString& assignToken, const QString& defaultValue) {
    if (source.isEmpty()) {
        return {};
    }
    const QString& separator = delimiter;
    // The parts of SplitFields, walked in place: loading reads two fields of every entry, and a
    // list of new strings each time costs more than the rest of the lookup.
    const QStringView text(source);
    const auto partFrom = [&](qsizetype from) {
        const qsizetype end = separator.isEmpty() ? -1 : text.indexOf(separator, from);
        return end < 0 ? text.sliced(from) : text.sliced(from, end - from);
    };
    if (!partFrom(0).contains(assignToken, Qt::CaseInsensitive)) {
        return defaultValue;
    }
    for (qsizetype from = 0; from <= text.size();) {
        const QStringView part = partFrom(from);
        const qsizetype at = part.indexOf(assignToken);
        if (at >= 0 && part.first(at) == fieldName) {
            return part.sliced(at + assignToken.size()).toString();
        }
        if (separator.isEmpty()) {
            break;
        }
        from += part.size() + separator.size();
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
