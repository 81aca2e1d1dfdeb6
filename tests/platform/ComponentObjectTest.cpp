#include "platform/ComponentObject.h"
#include "platform/ComponentRegistry.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QLibrary>
#include <QTemporaryDir>
#include <QWidget>

using namespace Qt::StringLiterals;
using platform::ComponentObject;
namespace reg = platform::ComponentRegistry;

namespace {

const QString kProgId = u"Tolv_Glimmertip.PelGlimmertip"_s;
const QString kBuilt = QStringLiteral(PARLANE_GLIMMERTIP_LIBRARY);

QWidget* OpenPopup() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == u"wGlimmertip"_s && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

class Component : public ::testing::Test {
protected:
    // A registry of the test's own, and an empty program directory.
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", dir.filePath(u"config"_s).toLocal8Bit());
        QDir().mkpath(programDir());
    }
    QString programDir() const { return dir.filePath(u"bin"_s); }

    // What regsvr does: the library registers itself.
    static void Register(const QString& library) {
        QLibrary lib(library);
        const auto entry =
            reinterpret_cast<reg::DllRegisterServerFn>(lib.resolve("DllRegisterServer"));
        ASSERT_NE(entry, nullptr) << lib.errorString();
        ASSERT_EQ(entry(), reg::S_OK);
    }

    QTemporaryDir dir;
    QWidget host;
};

TEST_F(Component, IsFoundByProgIdInTheRegistryAndDrivenLateBound) {
    Register(kBuilt);
    ASSERT_EQ(reg::FindByProgId(kProgId)->Library, QFileInfo(kBuilt).absoluteFilePath());

    QString error;
    auto tip = ComponentObject::Create(kProgId, &host, &error, programDir());
    ASSERT_NE(tip, nullptr) << error;
    EXPECT_EQ(tip->LibraryPath(), QFileInfo(kBuilt).absoluteFilePath());
    EXPECT_STREQ(tip->Object()->metaObject()->className(), "PelGlimmertip");
    EXPECT_EQ(tip->Object()->parent(), &host);
    EXPECT_NE(tip->DispId(u"Show"_s), tip->DispId(u"Opacity"_s));

    EXPECT_TRUE(tip->SetProperty("Opacity", 220, &error)) << error;
    EXPECT_EQ(tip->Property("Opacity").toInt(), 220);
    // A misspelt name is refused, not added as a property of its own.
    EXPECT_FALSE(tip->SetProperty("opacity", 10, &error));
    EXPECT_TRUE(error.contains(u"opacity"_s));
    EXPECT_FALSE(tip->Object()->dynamicPropertyNames().contains("opacity"));
    EXPECT_FALSE(tip->Property("Nothing").isValid());

    EXPECT_TRUE(tip->Invoke("Show", {u"Save Changes_Clicking saves."_s}, &error)) << error;
    QWidget* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_NEAR(popup->windowOpacity(), 220 / 255.0, 1 / 255.0);

    // The component's errors come back as errors; unknown methods are refused.
    EXPECT_FALSE(tip->Invoke("Show", {u"a_b"_s, 77}, &error));
    EXPECT_TRUE(error.contains(u"340"_s)) << error;
    EXPECT_FALSE(tip->Invoke("Show", {u"a"_s, 1, 2, 3, 4}, &error));
    EXPECT_FALSE(tip->Invoke("Vanish", {}, &error));

    // Gone with the object: the popup, then the library.
    QPointer<QWidget> shown = popup;
    tip.reset();
    EXPECT_TRUE(shown.isNull());
    EXPECT_FALSE(QLibrary(kBuilt).isLoaded());
}

// First found, first served: the library beside the program, so that a copy of one checkout
// never runs another's; then the user's registry; then the installation's, whose relative
// path counts from its own place. What was passed over is said.
TEST_F(Component, TheProgramDirectoryComesFirstThenTheUsersRegistryThenTheInstallations) {
    const QString beside = QDir(programDir()).filePath(u"Glimmertip.so"_s);
    const QString users = dir.filePath(u"users/Glimmertip.so"_s);
    const QString installed = dir.filePath(u"lib/parlane/Glimmertip.so"_s);
    const QString installedRegistry = dir.filePath(u"share/parlane/components.json"_s);
    for (const QString& at : {users, installed, installedRegistry}) {
        QDir().mkpath(QFileInfo(at).absolutePath());
    }
    WriteBytes(
        installedRegistry,
        R"({"ProgID": {"Tolv_Glimmertip.PelGlimmertip": "{B96C8455-5175-4FE6-9570-FB4CA6671E1E}"},
        "CLSID": {"{B96C8455-5175-4FE6-9570-FB4CA6671E1E}":
                  {"InprocServer": "../../lib/parlane/Glimmertip.so", "Version": "1.0"}}})");
    WriteBytes(dir.filePath(u"bin/notes.so"_s), "not a library");

    const struct {
        const char* what;
        bool besideThere, usersThere, usersRegistered;
        QString served;
        bool passedOver;
    } cases[] = {
        {"all three", true, true, true, beside, false},
        {"a user's registration beside nothing", false, true, true, users, false},
        {"a user's registration of a library gone", false, false, true, installed, true},
        {"the installation alone", false, false, false, installed, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(beside);
        QFile::remove(users);
        QFile::remove(installed);
        QFile::remove(reg::RegistryFile());
        ASSERT_TRUE(QFile::copy(kBuilt, installed));
        if (c.besideThere) {
            ASSERT_TRUE(QFile::copy(kBuilt, beside));
        }
        ASSERT_TRUE(QFile::copy(kBuilt, users));
        if (c.usersRegistered) {
            Register(users);
        }
        if (!c.usersThere) {
            QFile::remove(users);
        }

        QString error;
        auto tip = ComponentObject::Create(kProgId, &host, &error, programDir(), installedRegistry);
        ASSERT_NE(tip, nullptr) << error;
        EXPECT_EQ(tip->LibraryPath(), c.served);
        EXPECT_EQ(error.contains(users), c.passedOver) << error;
    }
}

TEST_F(Component, ALibraryOfAnotherInterfaceVersionIsRefusedWithTheReason) {
    const QString other = QDir(programDir()).filePath(u"Glimmertip.so"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(PARLANE_OTHER_INTERFACE_COMPONENT), other));
    QString error;
    EXPECT_EQ(ComponentObject::Create(kProgId, &host, &error, programDir()), nullptr);
    EXPECT_TRUE(error.contains(other) && error.contains(u"org.parlane.Component/2.0"_s)) << error;

    // A registered library of the right version serves instead; the refusal is still told.
    Register(kBuilt);
    auto tip = ComponentObject::Create(kProgId, &host, &error, programDir());
    ASSERT_NE(tip, nullptr) << error;
    EXPECT_EQ(tip->LibraryPath(), QFileInfo(kBuilt).absoluteFilePath());
    EXPECT_TRUE(error.contains(other)) << error;
}

TEST_F(Component, AMissingOrBrokenComponentIsReportedToTheCaller) {
    QString error;
    EXPECT_EQ(ComponentObject::Create(kProgId, &host, &error, programDir()), nullptr);
    EXPECT_TRUE(error.contains(kProgId)) << error;

    // The registry names a file that is no component.
    const QString fake = dir.filePath(u"bin/Glimmertip.so"_s);
    WriteBytes(fake,
               "\x7f"
               "ELF but nothing more");
    ASSERT_TRUE(reg::RegisterClass(
        {u"{B96C8455-5175-4FE6-9570-FB4CA6671E1E}"_s, kProgId, fake, {}, u"1.0"_s}));
    error.clear();
    EXPECT_EQ(ComponentObject::Create(kProgId, &host, &error, programDir()), nullptr);
    EXPECT_TRUE(error.contains(fake)) << error;

    // A real component, but the registry asks it for a class it does not serve.
    ASSERT_TRUE(reg::RegisterClass(
        {u"{00000000-0000-0000-0000-0000000000AA}"_s, kProgId, kBuilt, {}, u"1.0"_s}));
    error.clear();
    EXPECT_EQ(ComponentObject::Create(kProgId, &host, &error, programDir()), nullptr);
    EXPECT_TRUE(error.contains(u"does not serve"_s)) << error;

    // A corrupt registry is no registry.
    WriteBytes(reg::RegistryFile(), "]]");
    EXPECT_EQ(ComponentObject::Create(kProgId, &host, &error, programDir()), nullptr);
    EXPECT_FALSE(reg::RegisterClass({u"{1}"_s, u"X.Y"_s, kBuilt, {}, {}}, &error));
    EXPECT_EQ(ReadBytes(reg::RegistryFile()), QByteArray("]]"));
}

}  // namespace
