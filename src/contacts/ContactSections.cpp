#include "contacts/ContactSections.h"

#include "contacts/ContactKeys.h"

using namespace Qt::StringLiterals;

std::array<ContactSection, 2> ContactSections(SharedState& s) {
    return {{{u"Users"_s, u"User"_s, ContactKeys::kUsers, ContactKeys::kUserPrefix,
              ContactKeys::kImageUser, s.UserContacts, s.UsersSection},
             {u"Domains"_s, u"Domain"_s, ContactKeys::kDomains, ContactKeys::kDomainPrefix,
              ContactKeys::kImageDomain, s.DomainContacts, s.DomainsSection}}};
}
