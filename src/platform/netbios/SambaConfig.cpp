#include "platform/netbios/SambaConfig.h"

#include "platform/netbios/PortOwners.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace platform::netbios {
namespace {

QString Squeezed(QString name) {
    return name.remove(u' ').remove(u'\t').toLower();
}

}  // namespace

QString SmbConfGlobal(const QString& path, const QString& name) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString wanted = Squeezed(name);
    bool inGlobal = true;  // settings before any section count as global
    QString value;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (const qsizetype close = line.indexOf(u']'); line.startsWith(u'[') && close > 0) {
            const QString section = line.sliced(1, close - 1).trimmed();
            inGlobal = section.compare(u"global"_s, Qt::CaseInsensitive) == 0;
        } else if (const qsizetype equals = line.indexOf(u'=');
                   inGlobal && equals > 0 && !line.startsWith(u'#') && !line.startsWith(u';')) {
            if (Squeezed(line.left(equals)) == wanted) {
                value = line.mid(equals + 1).trimmed();  // the last one counts, as in Samba
            }
        }
    }
    return value;
}

QString RunningSmbdConfig(std::uint16_t port) {
    for (const QString& pid : ProcessesHolding(u"smbd"_s, Transport::Tcp, port)) {
        QFile cmdline(u"/proc/"_s + pid + u"/cmdline"_s);
        if (!cmdline.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QList<QByteArray> args = cmdline.readAll().split('\0');
        for (qsizetype i = 1; i < args.size(); ++i) {
            if ((args[i] == "-s" || args[i] == "--configfile") && i + 1 < args.size()) {
                return QString::fromLocal8Bit(args[i + 1]);
            }
            if (args[i].startsWith("--configfile=")) {
                return QString::fromLocal8Bit(args[i].mid(13));
            }
        }
        return u"/etc/samba/smb.conf"_s;
    }
    return {};
}

bool SmbConfHandsMessagesOn(const QString& path) {
    static const QStringList withMessages{u"CORE"_s, u"COREPLUS"_s, u"LANMAN1"_s, u"LANMAN2"_s,
                                          u"NT1"_s};
    QString lowest = SmbConfGlobal(path, u"server min protocol"_s);
    if (lowest.isEmpty()) {
        lowest = SmbConfGlobal(path, u"min protocol"_s);
    }
    return SmbConfGlobal(path, u"message command"_s).contains(u"parlane-samba-message"_s) &&
           withMessages.contains(lowest.toUpper());
}

}  // namespace platform::netbios
