#pragma once

#include "transport/modMailSlots.h"

#include <ostream>

inline void PrintTo(const MailSlotMessage& m, std::ostream* os) {
    *os << "{" << qPrintable(m.From) << " | " << qPrintable(m.To) << " | " << qPrintable(m.Text)
        << "}";
}
