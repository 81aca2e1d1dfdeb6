// Settings.ini as anyone may have edited, copied or cut it: parsing never fails, gives back the
// same bytes, and an edit reads back after the file is parsed again.
#include "platform/ProfileDocument.h"
#include "platform/RuntimeError.h"
#include "platform/Windows1252.h"

#include <cstdint>
#include <cstdlib>

using namespace Qt::StringLiterals;
using platform::ProfileDocument;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (platform::Windows1252::Encode(platform::Windows1252::Decode(bytes)) != bytes) {
        std::abort();
    }

    ProfileDocument doc = ProfileDocument::Parse(bytes);
    if (doc.Serialize() != bytes) {
        std::abort();
    }
    (void)doc.Value(u"Users"_s, u"Total"_s);
    try {
        doc.SetValue(u"Users"_s, u"User[1]"_s, u"NAME=a|ADDRESS=b|TYPE=0"_s);
        doc.RemoveSection(u"Domains"_s);
        doc.SetValue(u"Domains"_s, u"Total"_s, u"0"_s);
        doc.RemoveKey(u"Contact List"_s, u"Users Expanded"_s);
    } catch (const platform::RuntimeError&) {
        std::abort();  // these texts fit every file
    }
    const ProfileDocument again = ProfileDocument::Parse(doc.Serialize());
    if (again.Value(u"Users"_s, u"User[1]"_s) != u"NAME=a|ADDRESS=b|TYPE=0"_s ||
        again.Value(u"Domains"_s, u"Total"_s) != u"0"_s ||
        again.Value(u"Contact List"_s, u"Users Expanded"_s).has_value() !=
            doc.Value(u"Contact List"_s, u"Users Expanded"_s).has_value()) {
        std::abort();
    }
    return 0;
}
