// Registers a component library in the per-user registry, or with /u removes it, by calling the
// library's own DllRegisterServer or DllUnregisterServer.
// Usage: regsvr [/u] [/warn] LIBRARY
// With /warn a failure is reported but not an error, for scripts that register when they can.
// Builds register nothing: a built Parlane finds the library beside it.

#include "platform/ComponentRegistry.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#include <cstdio>

using namespace Qt::StringLiterals;
namespace reg = platform::ComponentRegistry;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool unregister = arguments.removeAll(u"/u"_s) > 0;
    const int failed = arguments.removeAll(u"/warn"_s) > 0 ? 0 : 1;
    if (arguments.size() != 1) {
        std::fprintf(stderr, "Usage: regsvr [/u] [/warn] LIBRARY\n");
        return 2;
    }
    QLibrary library(QFileInfo(arguments.front()).absoluteFilePath());
    library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    const auto call = reinterpret_cast<reg::DllRegisterServerFn>(library.resolve(entry));
    if (!call) {
        std::fprintf(stderr, "regsvr: %s: %s\n", entry, qPrintable(library.errorString()));
        return failed;
    }
    const reg::HRESULT result = call();
    if (result != reg::S_OK) {
        std::fprintf(stderr, "regsvr: %s failed (0x%08X); registry %s\n", entry, unsigned(result),
                     qPrintable(reg::RegistryFile()));
        return failed;
    }
    std::printf("%s: %s succeeded (%s)\n", qPrintable(library.fileName()), entry,
                qPrintable(reg::RegistryFile()));
    return 0;
}
