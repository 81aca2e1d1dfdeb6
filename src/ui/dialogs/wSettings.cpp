#include "ui/dialogs/wSettings.h"

#include "controls/ContactTreeWidget.h"
#include "core/SharedState.h"
#include "core/modLoadSettings.h"
#include "core/modSaveSettings.h"
#include "platform/ComponentObject.h"
#include "platform/RuntimeError.h"
#include "platform/gui/MessageBox.h"
#include "ui/shared/DialogParts.h"
#include "ui/shared/ImageLists.h"
#include "ui/shared/Skins.h"
#include "ui/shared/WindowContext.h"
#include "ui/shared/WindowList.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using namespace DialogParts;

const QString wSettings::kSaveHelp =
    u"Save Changes_Clicking on this button will save any changes made."_s;
const QString wSettings::kCancelHelp =
    u"Cancel Changes_Clicking on this button will discard any changes made."_s;
const QString wSettings::kSectionsHelp =
    u"Sections_This area contains the available sections available for customisation in a "
    "grouped order."_s;

namespace {

const QString kToolTipProgId = u"Tolv_Glimmertip.PelGlimmertip"_s;

constexpr QSize kClientSize(502, 354);
// The description needs four lines in DejaVu Sans, which is wider than Tahoma.
constexpr int kHeaderHeight = 86;
// Every pane sits here: 1920 twips from the left and 5490 x 3060 twips, as designed, but below
// the taller header.
constexpr QRect kPaneRect(128, kHeaderHeight + 7, 366, 204);
constexpr int kButtonRowTop = kPaneRect.bottom() + 7;

QCheckBox* CheckBox(QWidget* pane, const QString& name, const QString& text, int top) {
    auto* box = new QCheckBox(text, pane);
    box->setObjectName(name);
    box->setGeometry(12, top, kPaneRect.width() - 24, 20);
    return box;
}

}  // namespace

QString wSettings::SkinningHelp() const {
    return u"Enable Application Skinning_Enabling this option causes "_s + context_.state.AppName +
           u" to display customised graphics in certain areas of its interface.||Enabling this "
           "option increases resource usage by an extremely small amount, and so it is "
           "recommended that it is left enabled."_s;
}

int wSettings::PaneForKey(const QString& key) {
    if (key == u"_contactlist"_s) {
        return 0;
    }
    if (key == u"_contactlist_interface"_s) {
        return 1;
    }
    if (key == u"_contactlist_skinning"_s) {
        return 2;
    }
    if (key == u"_sounds"_s) {
        return 5;
    }
    return -1;
}

wSettings* wSettings::Open(WindowContext& context) {
    return context.windows.OpenInFront<wSettings>(u"wSettings"_s, [&context] {
        auto* window = new wSettings(context);
        window->Form_Load();
        return window;
    });
}

wSettings::wSettings(WindowContext& context) : context_(context) {
    DialogParts::SetUp(*this, u"wSettings"_s, u"Settings"_s, kClientSize);
    setWindowFlag(Qt::Dialog);
    labBkg = HeaderBand(this, u"labBkg"_s, {0, 0, kClientSize.width(), kHeaderHeight});
    labTitle = Label(this, u"labTitle"_s, u"Application Settings"_s, {10, 8, 300, 16}, true);
    labDescription =
        Label(this, u"labDescription"_s,
              u"Parlane supports a whole array of customisation options, which you can set "
              "in this section of the application. Please note that there will be a lot "
              "more in a future version. You can press the right mouse button on a control "
              "for context help."_s,
              {10, 24, kClientSize.width() - 84, kHeaderHeight - 26});
    imgTopRightLogo = Label(this, u"imgTopRightLogo"_s, {}, {kClientSize.width() - 72, 0, 72, 72});
    ruleHeader = Rule(this, u"ruleHeader"_s, {0, kHeaderHeight, kClientSize.width(), 6});

    tvwSections = new QTreeWidget(this);
    tvwSections->setObjectName(u"tvwSections"_s);
    tvwSections->setHeaderHidden(true);
    tvwSections->setAccessibleName(u"Sections"_s);
    tvwSections->setGeometry(8, kPaneRect.top(), kPaneRect.left() - 14, kPaneRect.height());
    sections_ = std::make_unique<ContactTreeWidget>(*tvwSections);
    // The focus alone makes a node current without selecting it; only a selection shows a pane.
    connect(tvwSections, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = tvwSections->selectedItems();
        if (!selected.isEmpty()) {
            const int pane = PaneForKey(ContactTreeWidget::KeyOf(*selected.first()));
            if (pane >= 0) {
                ShowPane(pane);
            }
        }
    });

    for (int i = 0; i < kPaneCount; ++i) {
        picContainer[i] = new QFrame(this);
        picContainer[i]->setObjectName(u"picContainer"_s + QString::number(i));
        picContainer[i]->setFrameShape(QFrame::StyledPanel);
        picContainer[i]->setGeometry(kPaneRect);
        picContainer[i]->hide();
    }
    Label(picContainer[0], u"labContactList"_s, u"Contact List settings."_s,
          {12, 12, kPaneRect.width() - 24, 16});
    chkContactListInterface_MinimiseOnStartup =
        CheckBox(picContainer[1], u"chkContactListInterface_MinimiseOnStartup"_s,
                 u"Minimise to tray on startup."_s, 10);
    chkContactListInterface_DisplaySplash =
        CheckBox(picContainer[1], u"chkContactListInterface_DisplaySplash"_s,
                 u"Display the splash graphic at startup."_s, 34);
    chkContactListInterface_DesktopNotifications =
        CheckBox(picContainer[1], u"chkContactListInterface_DesktopNotifications"_s,
                 u"Show new messages as desktop notifications."_s, 58);
    chkEnableApplicationSkinning = CheckBox(picContainer[2], u"chkEnableApplicationSkinning"_s,
                                            u"Enable application skinning."_s, 10);
    Label(picContainer[5], u"labSounds"_s, u"Sounds."_s, {12, 12, kPaneRect.width() - 24, 16});

    ruleButtons = Rule(this, u"ruleButtons"_s, {0, kButtonRowTop, kClientSize.width(), 6});
    imgLogo = Label(this, u"imgLogo"_s, {}, {8, kButtonRowTop + 8, 32, 32});
    imgLogo->setPixmap(ImageLists::ProgramIcon().pixmap(32, 32));
    cmdSave = Button(this, u"cmdSave"_s, u"Save"_s, u"Save any changes made"_s,
                     {kClientSize.width() - 196, kButtonRowTop + 12, 90, 24});
    connect(cmdSave, &QPushButton::clicked, this, &wSettings::cmdSave_Click);
    cmdCancel = Button(this, u"cmdCancel"_s, u"Cancel"_s, u"Discard any changes made"_s,
                       {kClientSize.width() - 98, kButtonRowTop + 12, 90, 24});
    connect(cmdCancel, &QPushButton::clicked, this, &wSettings::cmdCancel_Click);
    DefaultButton(*this, cmdSave);
    imgBottom = Label(this, u"imgBottom"_s, {}, {0, kClientSize.height() - 10, 640, 10});

    for (QObject* element :
         std::initializer_list<QObject*>{cmdSave, cmdCancel, chkEnableApplicationSkinning,
                                         tvwSections, tvwSections->viewport()}) {
        element->installEventFilter(this);
    }

    // Without the component the window works all the same, only without help popups.
    ToolTip = platform::ComponentObject::Create(kToolTipProgId, this, &ToolTipError,
                                                context_.state.ProgramPath,
                                                context_.state.ComponentRegistryFile);
    if (ToolTip) {
        // The control's own face has nothing to show on this window.
        if (auto* face = qobject_cast<QWidget*>(ToolTip->Object())) {
            face->hide();
        }
        if (!ToolTipError.isEmpty()) {
            qWarning("Help popups from %s; passed over: %s", qUtf8Printable(ToolTip->LibraryPath()),
                     qUtf8Printable(ToolTipError));
        }
    } else {
        qWarning("Help popups are off: %s", qUtf8Printable(ToolTipError));
    }

    setTabOrder(tvwSections, chkContactListInterface_MinimiseOnStartup);
    setTabOrder(chkContactListInterface_MinimiseOnStartup, chkContactListInterface_DisplaySplash);
    setTabOrder(chkContactListInterface_DisplaySplash,
                chkContactListInterface_DesktopNotifications);
    setTabOrder(chkContactListInterface_DesktopNotifications, chkEnableApplicationSkinning);
    setTabOrder(chkEnableApplicationSkinning, cmdSave);
    setTabOrder(cmdSave, cmdCancel);
    tvwSections->setFocus();
    context_.windows.Loaded(this);
}

wSettings::~wSettings() = default;

void wSettings::Form_Load() {
    if (ToolTip) {
        ToolTip->SetProperty("Opacity", 220);
    }
    ShowPane(0);
    ContactTreeWidget& tree = *sections_;
    tree.AddNode({}, u"_sounds"_s, u"Sounds"_s, -1);
    tree.SetNodeBold(u"_sounds"_s, true);
    tree.AddNode({}, u"_contactlist"_s, u"Contact List"_s, -1);
    tree.SetNodeBold(u"_contactlist"_s, true);
    tree.AddNode(u"_contactlist"_s, u"_contactlist_interface"_s, u"Interface"_s, -1);
    tree.AddNode(u"_contactlist"_s, u"_contactlist_skinning"_s, u"Skinning"_s, -1);
    tree.SetNodeExpanded(u"_contactlist"_s, true);
    // The keys start on the section whose pane shows, which stays unselected as designed.
    tvwSections->setCurrentItem(tree.Node(u"_contactlist"_s), 0, QItemSelectionModel::NoUpdate);
    context_.skins.ApplySkin(Skins::kSkinSettings);
    context_.windows.RestorePosition(*this);
    SharedState& s = context_.state;
    chkContactListInterface_DisplaySplash->setChecked(s.DisplaySplash);
    chkContactListInterface_MinimiseOnStartup->setChecked(s.MinimiseOnStartup);
    chkContactListInterface_DesktopNotifications->setChecked(s.DesktopNotifications);
    chkEnableApplicationSkinning->setChecked(s.SkinningEnabled);
    s.SettingsWindowOpen = true;
}

// The pane in front is the only one shown, so that no hidden check box takes the focus.
void wSettings::ShowPane(int index) {
    if (index < 0 || index >= kPaneCount) {
        return;
    }
    for (int i = 0; i < kPaneCount; ++i) {
        picContainer[i]->setVisible(i == index);
    }
    picContainer[index]->raise();
    frontPane_ = index;
}

void wSettings::cmdSave_Click() {
    try {
        modSaveSettings::SaveSettings(
            context_.state.SettingsFile,
            {chkContactListInterface_DisplaySplash->isChecked(),
             chkContactListInterface_MinimiseOnStartup->isChecked(),
             chkEnableApplicationSkinning->isChecked(),
             chkContactListInterface_DesktopNotifications->isChecked()});
        modLoadSettings::LoadSettings(context_.state);
    } catch (const platform::RuntimeError& e) {
        // Nothing was written; the window stays open with the user's choices.
        platform::MsgBox(u"Error while saving the settings: "_s + e.Description(),
                         platform::vbExclamation, context_.state.AppName);
        return;
    }
    Skins& skins = context_.skins;
    skins.LoadSkinImages();
    skins.ApplySkin(Skins::kSkinMain);
    const SharedState& s = context_.state;
    if (s.AddContactWindowOpen) {
        skins.ApplySkin(Skins::kSkinAddContact);
    }
    if (s.AboutWindowOpen) {
        skins.ApplySkin(Skins::kSkinAbout);
    }
    if (s.CatchAllWindowOpen) {
        skins.ApplySkin(Skins::kSkinCatchAll);
    }
    close();
}

void wSettings::cmdCancel_Click() {
    close();
}

void wSettings::ShowHelp(const QString& text) {
    if (!ToolTip) {
        return;
    }
    QString error;
    if (!ToolTip->Invoke("Show", {text}, &error)) {
        qWarning("The help popup failed: %s", qUtf8Printable(error));
    }
}

void wSettings::closeEvent(QCloseEvent* event) {
    context_.windows.UnloadDialog(*this, context_.state.SettingsWindowOpen);
    event->accept();
}

bool wSettings::eventFilter(QObject* watched, QEvent* event) {
    const bool inTree = watched == tvwSections || watched == tvwSections->viewport();
    switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
                (watched == tvwSections || watched == cmdCancel)) {
                cmdCancel_Click();
                return true;
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // A right click asks for help; it must not select a section.
            if (inTree && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
                if (watched == cmdSave) {
                    ShowHelp(kSaveHelp);
                } else if (watched == cmdCancel) {
                    ShowHelp(kCancelHelp);
                } else if (watched == chkEnableApplicationSkinning) {
                    ShowHelp(SkinningHelp());
                } else if (inTree) {
                    ShowHelp(kSectionsHelp);
                    return true;
                }
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}
