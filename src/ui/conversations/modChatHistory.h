#pragma once

struct MailSlotMessage;
class ContactTree;

// Where a received message is shown.
namespace modChatHistory {

// A user or machine in the list gets it in its chat window, opened or brought back as needed;
// a domain whose window is open gets it there; everyone else in the catch-all window.
void RouteMessage(ContactTree& tree, const MailSlotMessage& message);

}  // namespace modChatHistory
