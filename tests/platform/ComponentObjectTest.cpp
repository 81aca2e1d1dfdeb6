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

    // What the build's regsvr does: the library registers itself.
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
    EXPECT_EQ(tip->ClassId(), u"{B96C8455-5175-4FE6-9570-FB4CA6671E1E}"_s);
    EXPECT_STREQ(tip->Object()->metaObject()->className(), "PelGlimmertip");
    EXPECT_EQ(tip->Object()->parent(), &host);
    EXPECT_EQ(tip->DispId(u"About"_s), -552);
    EXPECT_EQ(tip->DispId(u"Show"_s), 20);
    EXPECT_EQ(tip->DispId(u"Opacity"_s), 15);

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

TEST_F(Component, IsFoundInTheProgramDirectoryWhenTheRegistryFails) {
    const QString copy = QDir(programDir()).filePath(u"Glimmertip.so"_s);
    ASSERT_TRUE(QFile::copy(kBuilt, copy));
    WriteBytes(dir.filePath(u"bin/notes.so"_s), "not a library");
    QString error;

    // Nothing registered.
    auto tip = ComponentObject::Create(kProgId, &host, &error, programDir());
    ASSERT_NE(tip, nullptr) << error;
    EXPECT_EQ(tip->LibraryPath(), copy);
    tip.reset();

    // Registered at a place where the library is no more.
    const QString moved = dir.filePath(u"moved.so"_s);
    ASSERT_TRUE(QFile::copy(kBuilt, moved));
    Register(moved);
    QFile::remove(moved);
    tip = ComponentObject::Create(kProgId, &host, &error, programDir());
    ASSERT_NE(tip, nullptr) << error;
    EXPECT_EQ(tip->LibraryPath(), copy);
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
