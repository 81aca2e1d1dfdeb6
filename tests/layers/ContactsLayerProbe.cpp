// A program of the contacts layer alone: loading and saving contacts with no window in sight.
#include "contacts/modSaveContacts.h"
#include "core/SharedState.h"

int main() {
    SharedState state;
    modSaveContacts::SaveContacts(state);
    return 0;
}
