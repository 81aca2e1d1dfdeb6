#include "contacts/modFindContact.h"

#include "core/SharedState.h"

namespace modFindContact {
namespace {

template <typename Match>
std::shared_ptr<clsContact> FindFirst(Match matches) {
    for (const auto* contacts : {&Shared().UserContacts, &Shared().DomainContacts}) {
        for (const std::shared_ptr<clsContact>& contact : *contacts) {
            if (matches(*contact)) {
                return contact;
            }
        }
    }
    return std::make_shared<clsContact>();
}

}  // namespace

std::shared_ptr<clsContact> FindContactByAddress(const QString& address) {
    return FindFirst(
        [&](const clsContact& c) { return c.Address.compare(address, Qt::CaseInsensitive) == 0; });
}

std::shared_ptr<clsContact> FindContactByName(const QString& name) {
    return FindFirst([&](const clsContact& c) { return c.Name == name; });
}

}  // namespace modFindContact
