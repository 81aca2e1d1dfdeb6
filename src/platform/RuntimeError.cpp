#include "platform/RuntimeError.h"

#include <utility>

namespace platform {

RuntimeError::RuntimeError(long number, QString source, QString description)
    : number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      what_(description_.toStdString()) {}

}  // namespace platform
