#include "core/HandlerError.h"

using namespace Qt::StringLiterals;

namespace HandlerError {

QString NumberedText(const platform::RuntimeError& e) {
    return u'[' + QString::number(e.Number()) + u"] - "_s + e.Description();
}

QString Text(const QString& handler, const platform::RuntimeError& e) {
    return u"Error during "_s + handler + u": "_s + NumberedText(e);
}

}  // namespace HandlerError
