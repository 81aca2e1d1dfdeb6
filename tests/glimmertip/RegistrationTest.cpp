#include "glimmertip/GlimmertipIds.h"
#include "glimmertip/PelGlimmertip.h"
#include "platform/ComponentRegistry.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
namespace reg = platform::ComponentRegistry;

// The entry points, as the library exports them; here they are linked into the test.
extern "C" {
reg::HRESULT DllRegisterServer();
reg::HRESULT DllUnregisterServer();
reg::HRESULT DllGetClassObject(const char* classId, QObject** factory);
reg::HRESULT DllCanUnloadNow();
}

namespace {

class Registration : public ::testing::Test {
protected:
    // Never the user's own registry.
    void SetUp() override { qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit()); }

    QTemporaryDir dir;
    const QString progId = QString::fromLatin1(GlimmertipIds::kProgID);
    const QString classId = QString::fromLatin1(GlimmertipIds::kCLSID_PelGlimmertip);
};

TEST_F(Registration, RegistersAndUnregistersItsClassBesideOthers) {
    ASSERT_TRUE(reg::RegistryFile().startsWith(dir.path()));
    const reg::ClassEntry other{u"{00000000-0000-0000-0000-000000000001}"_s,
                                u"Other.Thing"_s,
                                u"/opt/other.so"_s,
                                {},
                                u"2.0"_s};
    ASSERT_TRUE(reg::RegisterClass(other));

    EXPECT_EQ(DllRegisterServer(), reg::S_OK);
    const auto entry = reg::FindByProgId(progId);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->ClassId, classId);
    // The file the code was loaded from: here the test program itself.
    EXPECT_EQ(entry->Library,
              QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath());
    // Registering again changes nothing.
    EXPECT_EQ(DllRegisterServer(), reg::S_OK);
    EXPECT_EQ(reg::FindByProgId(progId)->Library, entry->Library);

    EXPECT_EQ(DllUnregisterServer(), reg::S_OK);
    EXPECT_FALSE(reg::FindByProgId(progId).has_value());
    EXPECT_EQ(reg::FindByProgId(u"Other.Thing"_s)->Library, u"/opt/other.so"_s);
    EXPECT_EQ(DllUnregisterServer(), reg::S_OK);
}

TEST_F(Registration, TheClassFactoryMakesControlsAndTheLibraryCountsThem) {
    QObject* factory = nullptr;
    EXPECT_EQ(DllGetClassObject("{00000000-0000-0000-0000-000000000000}", &factory),
              reg::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    EXPECT_EQ(DllGetClassObject(GlimmertipIds::kCLSID_PelGlimmertip, nullptr), reg::E_POINTER);
    ASSERT_EQ(DllGetClassObject(GlimmertipIds::kCLSID_PelGlimmertip, &factory), reg::S_OK);
    ASSERT_NE(factory, nullptr);

    EXPECT_EQ(DllCanUnloadNow(), reg::S_OK);
    QWidget host;
    QObject* made = nullptr;
    ASSERT_TRUE(QMetaObject::invokeMethod(factory, "CreateInstance", Q_RETURN_ARG(QObject*, made),
                                          Q_ARG(QObject*, &host)));
    auto* control = qobject_cast<PelGlimmertip*>(made);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->parentWidget(), &host);
    EXPECT_EQ(DllCanUnloadNow(), reg::S_FALSE);
    control->Show(u"Counted_too"_s);
    delete control;
    // The last control took its popup along.
    EXPECT_EQ(DllCanUnloadNow(), reg::S_OK);
}

}  // namespace
