#include "ui/dialogs/wAbout.h"

#include "controls/FormMetrics.h"
#include "controls/LinkLabel.h"
#include "controls/Readable.h"
#include "controls/modShellExecute.h"
#include "core/AppVersion.h"
#include "core/HandlerError.h"
#include "core/SharedState.h"
#include "core/modWindowMetrics.h"
#include "platform/RuntimeError.h"
#include "platform/gui/MessageBox.h"
#include "ui/shared/DialogParts.h"
#include "ui/shared/ImageLists.h"
#include "ui/shared/Skins.h"
#include "ui/shared/WindowContext.h"
#include "ui/shared/WindowList.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

const QString wAbout::kWebsite = u"https://www.ostrell.example/"_s;
const QString wAbout::kWebsiteHost = u"www.ostrell.example"_s;

namespace {

constexpr QSize kClientSize(380, 252);

QFont Tahoma(int points, bool bold) {
    QFont font;
    font.setFamilies({u"Tahoma"_s, u"DejaVu Sans"_s});
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

void ShowError(const QString& handler, const platform::RuntimeError& e) {
    platform::MsgBox(HandlerError::Text(handler, e), platform::vbExclamation);
}

}  // namespace

wAbout* wAbout::Open(WindowContext& context) {
    return context.windows.OpenInFront<wAbout>(u"wAbout"_s, [&context] {
        auto* window = new wAbout(context);
        window->Form_Load();
        return window;
    });
}

wAbout::wAbout(WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Dialog), context_(context) {
    setObjectName(u"wAbout"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"Parlane Extended"_s);
    setFixedSize(kClientSize);
    setFont(Tahoma(8, false));

    const auto label = [this](const QString& name, const QString& text, QRect at) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setTextFormat(Qt::PlainText);
        l->setGeometry(at);
        return l;
    };
    imgGlobe = label(u"imgGlobe"_s, {}, QRect(8, 8, 72, 72));
    labTitle = label(u"labTitle"_s, u"Parlane"_s, QRect(92, 10, 200, 20));
    labTitle->setFont(Tahoma(9, true));
    labH_Version = label(u"labH_Version"_s, u"Version:"_s, QRect(92, 36, 70, 16));
    labVersion = label(u"labVersion"_s, u"1.00"_s, QRect(166, 36, 120, 16));
    labH_Build = label(u"labH_Build"_s, u"Build:"_s, QRect(92, 54, 70, 16));
    labBuild = label(u"labBuild"_s, u"#000"_s, QRect(166, 54, 120, 16));
    labH_Released = label(u"labH_Released"_s, u"Released:"_s, QRect(92, 72, 70, 16));
    labReleased = label(u"labReleased"_s, u"12th March, 2004."_s, QRect(166, 72, 140, 16));
    for (QLabel* heading : {labH_Version, labH_Build, labH_Released}) {
        heading->setFont(Tahoma(8, true));
    }

    imgOstrellLogo = label(u"imgOstrellLogo"_s, {}, QRect(318, 12, 48, 48));
    imgOstrellLogo->setPixmap(ImageLists::Picture(u"about-logo"_s));
    imgOstrellLogo->setCursor(Qt::PointingHandCursor);
    imgOstrellLogo->installEventFilter(this);

    ruleMiddle = DialogParts::Rule(this, u"ruleMiddle"_s, {8, 104, kClientSize.width() - 16, 6});

    imgOstrell = label(u"imgOstrell"_s, {}, QRect(8, 122, 120, 24));
    imgOstrell->setPixmap(ImageLists::Picture(u"about-maker"_s));
    imgOstrell->setToolTip(u"Ostrell Software"_s);
    // A picture of the maker's name: a screen reader reads the name, and on a dark theme the
    // dark lettering gets a light backing.
    imgOstrell->setAccessibleName(imgOstrell->toolTip());
    if (Readable::Contrast(palette().color(QPalette::Window), Qt::white) > 4.5) {
        imgOstrell->setAutoFillBackground(true);
        imgOstrell->setPalette(QPalette(Qt::white));
    }
    labClickToVisit = label(u"labClickToVisit"_s, u"Click to visit"_s, QRect(150, 126, 80, 16));
    labWebsite = new LinkLabel(kWebsiteHost, QColor(0, 0, 255), this);
    labWebsite->setObjectName(u"labWebsite"_s);
    labWebsite->setGeometry(232, 126, 140, 16);
    connect(labWebsite, &LinkLabel::clicked, this, &wAbout::labWebsite_Click);

    cmdCheckForUpdate = DialogParts::Button(this, u"cmdCheckForUpdate"_s, u"Check For Update"_s,
                                            u"Close the window"_s, {8, 200, 130, 26});
    // It was never given anything to do.
    cmdCheckForUpdate->setEnabled(false);
    // Its tool tip, as designed, tells what it does not do; a screen reader should not.
    cmdCheckForUpdate->setAccessibleDescription(u"Not available."_s);

    cmdClose = DialogParts::Button(this, u"cmdClose"_s, u"Close"_s, u"Close the window"_s,
                                   {kClientSize.width() - 88, 200, 80, 26});
    DialogParts::DefaultButton(*this, cmdClose);
    cmdClose->installEventFilter(this);
    connect(cmdClose, &QPushButton::clicked, this, &wAbout::cmdClose_Click);

    imgBottom = label(u"imgBottom"_s, {}, QRect(0, kClientSize.height() - 10, 640, 10));
    context_.windows.Loaded(this);
}

QString wAbout::VersionText(int major, int minor) {
    return QString::number(major) + u'.' + QString::number(minor).rightJustified(2, u'0');
}

QString wAbout::BuildText(int revision) {
    return u'#' + QString::number(revision).rightJustified(3, u'0');
}

void wAbout::Form_Load() {
    try {
        labVersion->setText(VersionText(AppVersion::Major, AppVersion::Minor));
        labBuild->setText(BuildText(AppVersion::Revision));
        context_.skins.ApplySkin(Skins::kSkinAbout);
        FormMetrics metrics(*this);
        modWindowMetrics::LoadWindowMetrics(context_.state.WindowMetricsINIFile, metrics, true,
                                            false);
        context_.state.AboutWindowOpen = true;
    } catch (const platform::RuntimeError& e) {
        ShowError(u"Form_Load"_s, e);
    }
}

void wAbout::cmdClose_Click() {
    close();
}

void wAbout::labWebsite_Click() {
    modShellExecute::ShellExe(kWebsite, QString(), 0, 1, QString(), false);
}

void wAbout::imgOstrellLogo_Click() {
    modShellExecute::ShellExe(kWebsite, QString(), 0, 1, QString(), false);
}

void wAbout::closeEvent(QCloseEvent* event) {
    context_.windows.UnloadDialog(*this, context_.state.AboutWindowOpen);
    event->accept();
}

bool wAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == imgOstrellLogo) {
            imgOstrellLogo_Click();
            return true;
        }
    }
    if (watched == cmdClose && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        cmdClose_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
