#include "contacts/modFindContact.h"

#include "core/SharedState.h"

namespace modFindContact {
namespace {

template <typename Match>
std::shared_ptr<clsContact> FindFirst(const SharedState& state, Match matches) {
    for (const auto* contacts : {&state.UserContacts, &state.DomainContacts}) {
        for (const std::shared_ptr<clsContact>& contact : *contacts) {
            if (matches(*contact)) {
                return contact;
            }
        }
    }
    return std::make_shared<clsContact>();
}

}  // namespace

std::shared_ptr<clsContact> FindContactByAddress(const SharedState& state, const QString& address) {
    return FindFirst(state, [&](const clsContact& c) {
        return c.Address.compare(address, Qt::CaseInsensitive) == 0;
    });
}

std::shared_ptr<clsContact> FindContactByName(const SharedState& state, const QString& name) {
    return FindFirst(state, [&](const clsContact& c) { return c.Name == name; });
}

}  // namespace modFindContact
