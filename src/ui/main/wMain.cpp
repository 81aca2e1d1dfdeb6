#include "ui/main/wMain.h"

#include "contacts/ContactKeys.h"
#include "contacts/modLoadContacts.h"
#include "contacts/modSaveContacts.h"
#include "controls/FormMetrics.h"
#include "controls/LinkLabel.h"
#include "controls/modMiscFunctions.h"
#include "core/AppVersion.h"
#include "core/HandlerError.h"
#include "core/SharedState.h"
#include "core/UserPrompts.h"
#include "core/modLoadSettings.h"
#include "core/modSaveSettings.h"
#include "core/modWinXP.h"
#include "core/modWindowMetrics.h"
#include "platform/RuntimeError.h"
#include "platform/SessionEnd.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WindowPos.h"
#include "transport/MailslotListener.h"
#include "ui/conversations/Conversations.h"
#include "ui/dialogs/wAbout.h"
#include "ui/dialogs/wAddContact.h"
#include "ui/dialogs/wSettings.h"
#include "ui/shared/ImageLists.h"
#include "ui/shared/Skins.h"
#include "ui/shared/WindowContext.h"
#include "ui/shared/WindowList.h"
#include "ui/shared/modErrorHelp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QTreeWidget>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kStatusHeight = 25;

// Shows an error of a handler as every handler of the program does.
void ShowHandlerError(const QString& appName, const QString& handler,
                      const platform::RuntimeError& e) {
    platform::MsgBox(HandlerError::Text(handler, e), platform::vbExclamation, appName);
}

QString TrayTip(const QString& appName) {
    return appName + u" v"_s + QString::number(AppVersion::Major) + u'.' +
           u"%1"_s.arg(int(AppVersion::Minor), 2, 10, QChar(u'0'));
}

}  // namespace

wMain::wMain(WindowContext& context, Conversations& conversations, MailslotListener& listener,
             SystemTray& tray, QWidget* parent)
    : QMainWindow(parent),
      context_(context),
      conversations_(conversations),
      listener_(listener),
      tray_(tray) {
    setObjectName(u"wMain"_s);
    InstallAccessibleRoles();
    setWindowIcon(ImageLists::ProgramIcon());
    setFont(QFont(u"Tahoma"_s, 8));
    // The inner area of the design, before window metrics give other values.
    resize(213, 290);

    auto* host = new QWidget(this);
    setCentralWidget(host);
    for (int i = 0; i < 2; ++i) {
        picContainer[i] = new QWidget(host);
        picContainer[i]->setObjectName(u"picContainer"_s + QString::number(i));
    }
    // Only panel 0 holds anything; an empty panel on top would cover the tree.
    picContainer[1]->hide();

    tvwContacts = new QTreeWidget(picContainer[0]);
    contacts_ = std::make_unique<ContactTreeWidget>(*tvwContacts);
    tvwContacts->setObjectName(u"tvwContacts"_s);
    tvwContacts->header()->hide();
    tvwContacts->setFrameShape(QFrame::NoFrame);
    tvwContacts->setFont(QFont(u"Tahoma"_s, 8));
    tvwContacts->setIconSize(QSize(16, 16));
    tvwContacts->setContextMenuPolicy(Qt::CustomContextMenu);
    tvwContacts->setExpandsOnDoubleClick(true);
    // The selection shows only while the tree has the focus.
    QPalette palette = tvwContacts->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Text));
    tvwContacts->setPalette(palette);
    tvwContacts->installEventFilter(this);
    connect(tvwContacts, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* node) { tvwContacts_NodeDoubleClick(node); });
    connect(tvwContacts, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QTreeWidgetItem* node = tvwContacts->itemAt(at)) {
            tvwContacts_NodeRightClick(node);
        }
    });

    picStatus = new PictureBox(host);
    picStatus->setObjectName(u"picStatus"_s);
    picStatus->ExtendEdges = true;
    // A label rather than painted text, so that a screen reader reads it and hears it change.
    labStatus = new QLabel(picStatus);
    labStatus->setObjectName(u"labStatus"_s);
    labStatus->setTextFormat(Qt::PlainText);
    labStatus->move(22, 6);
    tvwContacts->setAccessibleName(u"Contacts"_s);

    labErrorHelp = modErrorHelp::CreateErrorHelpLink(picStatus, [this] { labErrorHelp_Click(); });

    // The menus stay in the window, as designed, rather than moving to a desktop's global menu.
    menuBar()->setNativeMenuBar(false);
    BuildMenus();
    // The program lives while this window does, hidden or not: with the window in the tray,
    // the last other window closing must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    // A tray that goes away (its host ended) must not take the hidden window with it: the
    // window goes to the task bar instead.
    trayWatch_.setInterval(1000);
    connect(&trayWatch_, &QTimer::timeout, this, [this] {
        if (!isVisible() && mSYSTRAY_SHOWHIDE->text() == ShowCaption()) {
            HideToTray();
        }
    });
    trayWatch_.start();
    // The session ending, a Ctrl+C or a closed terminal: the same closing as the Exit item.
    platform::OnSessionEnd(this, [this] {
        sessionEnding_ = true;
        close();
    });
    // Anything else that quits the program runs the closing sequence without a close event.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!closed_) {
            closed_ = true;
            Form_QueryUnload();
            platform::FreeLibrary(std::exchange(shell32_, 0));
        }
    });
    context_.windows.Loaded(this);
}

wMain::~wMain() = default;

void wMain::BuildMenus() {
    const auto item = [this](QMenu* menu, const QString& name, const QString& caption,
                             auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto submenu = [this](QMenu* parent, const QString& name, const QString& caption) {
        QMenu* menu = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
        menu->setObjectName(name);
        return menu;
    };
    const auto close = [this] { this->close(); };

    mFILE = submenu(nullptr, u"mFILE"_s, u"&File"_s);
    mFILE_EXIT = item(mFILE, u"mFILE_EXIT"_s, u"E&xit"_s, close);

    mCONTACTLIST = submenu(nullptr, u"mCONTACTLIST"_s, u"&Contact List"_s);
    mCONTACTS_ADDCONTACT = item(mCONTACTLIST, u"mCONTACTS_ADDCONTACT"_s, u"&Add Contact.."_s,
                                [this] { wAddContact::Open(context_, *contacts_); });
    QAction* blank = mCONTACTLIST->addSeparator();
    blank->setObjectName(u"mCONTACTLIST_BLANK01"_s);
    mCONTACTLIST_ALWAYSONTOP =
        item(mCONTACTLIST, u"mCONTACTLIST_ALWAYSONTOP"_s, u"Always on &Top"_s, [this](bool on) {
            modMiscFunctions::SetTopMost(this,
                                         on ? platform::HWND_TOPMOST : platform::HWND_NOTOPMOST);
        });
    mCONTACTLIST_ALWAYSONTOP->setCheckable(true);
    // A compositor keeps no window on top for a program: a tick there would promise nothing.
    if (platform::CompositorPlacesWindows()) {
        blank->setVisible(false);
        mCONTACTLIST_ALWAYSONTOP->setVisible(false);
    }

    mTOOLS = submenu(nullptr, u"mTOOLS"_s, u"&Tools"_s);
    mTOOLS_SETTINGS =
        item(mTOOLS, u"mTOOLS_SETTINGS"_s, u"&Settings"_s, [this] { wSettings::Open(context_); });
    mTOOLS->addSeparator()->setObjectName(u"mTOOLS_BLANK1"_s);
    mTOOLS_ADVANCED = submenu(mTOOLS, u"mTOOLS_ADVANCED"_s, u"&Advanced"_s);
    mTOOLS_ADVANCED_ENABLECOMMUNICATIONS =
        item(mTOOLS_ADVANCED, u"mTOOLS_ADVANCED_ENABLECOMMUNICATIONS"_s,
             u"&Enable Communications"_s, [this] { listener_.EnableCommunications(); });
    mTOOLS_ADVANCED_DISABLECOMMUNICATIONS =
        item(mTOOLS_ADVANCED, u"mTOOLS_ADVANCED_DISABLECOMMUNICATIONS"_s,
             u"&Disable Communications"_s, [this] { listener_.DisableCommunications(); });

    mHELP = submenu(nullptr, u"mHELP"_s, u"&Help"_s);
    mHELP_ABOUT = item(mHELP, u"mHELP_ABOUT"_s, u"&About"_s, [this] { wAbout::Open(context_); });

    mSYSTRAY = new QMenu(u"System Tray"_s, this);
    mSYSTRAY->setObjectName(u"mSYSTRAY"_s);
    mSYSTRAY_SHOWHIDE =
        item(mSYSTRAY, u"mSYSTRAY_SHOWHIDE"_s, QString(), [this] { mSYSTRAY_SHOWHIDE_Click(); });
    mSYSTRAY->addSeparator()->setObjectName(u"mSYSTRAY_BLANK1"_s);
    mSYSTRAY_EXIT = item(mSYSTRAY, u"mSYSTRAY_EXIT"_s, u"E&xit"_s, close);

    mCONTEXTMENU = new QMenu(u"ContextMenu"_s, this);
    mCONTEXTMENU->setObjectName(u"mCONTEXTMENU"_s);
    mCONTEXTMENU_MESSAGEUSER = mCONTEXTMENU->addAction(u"Message this Contact.."_s);
    mCONTEXTMENU_MESSAGEUSER->setObjectName(u"mCONTEXTMENU_MESSAGEUSER"_s);
    mCONTEXTMENU_MESSAGEUSER->setEnabled(false);
    mCONTEXTMENU_SEPARATOR = mCONTEXTMENU->addSeparator();
    mCONTEXTMENU_SEPARATOR->setObjectName(u"mCONTEXTMENU_SEPARATOR"_s);
    mCONTEXTMENU_REMOVECONTACT =
        item(mCONTEXTMENU, u"mCONTEXTMENU_REMOVECONTACT"_s, u"&Remove Contact"_s,
             [this] { mCONTEXTMENU_REMOVECONTACT_Click(); });
}

void wMain::Form_Initialize() {
    shell32_ = platform::LoadLibraryA(u"shell32.dll"_s);
    modWinXP::InitCommonControlsVB();
}

QString wMain::HideCaption() const {
    return u"Hide "_s + context_.state.AppName;
}

QString wMain::ShowCaption() const {
    return u"Show "_s + context_.state.AppName;
}

void wMain::Form_Load(std::function<void()> unloadSplash) {
    SharedState& s = context_.state;
    try {
        setWindowTitle(s.AppName);
        imlImages16 = ImageLists::ContactTreeImages();
        contacts_->SetImageList(imlImages16);
        modLoadContacts::LoadContacts(s, *contacts_, context_.prompts);
        modLoadSettings::LoadContactListState(s.SettingsFile, *contacts_);
        modLoadSettings::LoadSettings(s);
        WatchSettingsFile();

        s.WindowMetricsINIFile = s.SettingsFile;
        FormMetrics metrics(*this);
        modWindowMetrics::LoadWindowMetrics(s.WindowMetricsINIFile, metrics, true, true);

        context_.skins.LoadSkinImages();
        context_.skins.ApplySkin(Skins::kSkinMain);

        imgSysTray.Picture = windowIcon();
        tray_.AddTrayIcon(
            *this, imgSysTray, TrayTip(s.AppName),
            [this](QSystemTrayIcon::ActivationReason reason) { TrayIcon_Activated(reason); });
        mSYSTRAY_SHOWHIDE->setText(HideCaption());
        if (!s.MinimiseOnStartup) {
            show();
        } else {
            mSYSTRAY_SHOWHIDE->setText(ShowCaption());
            HideToTray();
        }
        listener_.OpenMailSlot();
    } catch (const platform::RuntimeError& e) {
        ShowHandlerError(s.AppName, u"Form_Load"_s, e);
        show();
    }
    // Whatever the settings say by now: another copy may have turned the splash off meanwhile.
    if (unloadSplash) {
        unloadSplash();
    }
}

void wMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void wMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    if (isMinimized()) {
        // After the event: showMinimized() shows the window again once its state is set.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isMinimized() && mSYSTRAY_SHOWHIDE->text() == HideCaption()) {
                    mSYSTRAY_SHOWHIDE_Click();
                }
            },
            Qt::QueuedConnection);
    } else if (isVisible() && mSYSTRAY_SHOWHIDE->text() == ShowCaption()) {
        // Brought back by the task bar, which is all there is without a tray.
        mSYSTRAY_SHOWHIDE->setText(HideCaption());
    }
}

// The strip's top follows the design's rule on the outer height, but never lower than where it
// still fits whole, and it reaches down to the bottom edge; the tree stops above it, so no node
// and no end of the scroll bar hides under it.
void wMain::Form_Resize() {
    QWidget* host = centralWidget();
    const int width = host->width();
    const int height = host->height();
    for (QWidget* panel : picContainer) {
        panel->setGeometry(0, 0, width, height);
    }
    const int outerHeightTwips = frameGeometry().height() * 15;
    const int top = std::max(0, std::min(outerHeightTwips / 15 - 70, height - kStatusHeight));
    picStatus->setGeometry(0, top, width, std::max(kStatusHeight, height - top));
    tvwContacts->setGeometry(0, 0, width, top);
    // The link wider than the design's 40 pixels still ends inside the window.
    labErrorHelp->move(std::min(width - 40, width - labErrorHelp->width() - 2), 6);
    FitStatus();
}

// Beside the link when it shows; what does not fit is elided and whole in the tool tip.
void wMain::FitStatus() {
    const int right = !labErrorHelp->isHidden() ? labErrorHelp->x() - 4 : picStatus->width() - 2;
    const int room = std::max(0, right - labStatus->x());
    const QString& text = context_.state.StatusText;
    const QString shown = labStatus->fontMetrics().elidedText(text, Qt::ElideRight, room);
    labStatus->setText(shown);
    labStatus->setToolTip(shown == text ? QString() : text);
    labStatus->setAccessibleName(text);  // a screen reader reads it whole
    labStatus->resize(room, labStatus->sizeHint().height());
}

// Installed on the contact tree alone.
bool wMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool menuKeys = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
        return tvwContacts_KeyDown(menuKeys ? Qt::Key_Menu : key->key());
    }
    // The Menu key arrives as a request for the menu, made where the pointer happens to be.
    if (event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        return tvwContacts_KeyDown(Qt::Key_Menu);
    }
    return QMainWindow::eventFilter(watched, event);
}

// True when the key did its work here. Return does what a double-click does, and the menu
// opens at the selected node.
bool wMain::tvwContacts_KeyDown(int keyCode) {
    QTreeWidgetItem* node = tvwContacts->currentItem();
    switch (keyCode) {
        case Qt::Key_Escape:
            // Straight into the tray: minimised on its way there, the window now and then came
            // back minimised from the tray, and so went again at once.
            if (tray_.TrayAvailable() && mSYSTRAY_SHOWHIDE->text() == HideCaption()) {
                mSYSTRAY_SHOWHIDE_Click();
            } else {
                showMinimized();
            }
            return false;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (node && node->childCount() > 0) {
                node->setExpanded(!node->isExpanded());
            }
            tvwContacts_NodeDoubleClick(node);
            return true;
        case Qt::Key_Menu:
            if (node) {
                const QRect row = tvwContacts->visualItemRect(node);
                tvwContacts_NodeRightClick(
                    node, tvwContacts->viewport()->mapToGlobal(row.bottomLeft() + QPoint(16, 0)));
            }
            return true;
        default:
            return false;
    }
}

void wMain::tvwContacts_NodeDoubleClick(QTreeWidgetItem* node) {
    if (!node) {
        return;
    }
    const QString key = ContactTreeWidget::KeyOf(*node);
    if (key == ContactKeys::kUsers || key == ContactKeys::kDomains ||
        key == ContactKeys::kUnknown) {
        return;
    }
    if (key == ContactKeys::kCatchAll) {
        conversations_.OpenCatchAll();
        return;
    }
    conversations_.OpenChat(*contacts_, key);
}

void wMain::tvwContacts_NodeRightClick(QTreeWidgetItem* node, std::optional<QPoint> at) {
    SelectedNode = ContactTreeWidget::KeyOf(*node);
    const bool contact = !ContactKeys::IsGroupKey(SelectedNode);
    mCONTEXTMENU_SEPARATOR->setVisible(contact);
    mCONTEXTMENU_REMOVECONTACT->setVisible(contact);
    mCONTEXTMENU->popup(at.value_or(QCursor::pos()));
}

// Another copy may share the settings file: its changes to the contacts show here within a
// moment. A replaced file is a change of its directory; an edit in place, of the file.
void wMain::WatchSettingsFile() {
    const QString& file = context_.state.SettingsFile;
    const auto reload = [this, file] {
        if (!settingsWatcher_.files().contains(file)) {
            settingsWatcher_.addPath(file);
        }
        try {
            modLoadContacts::ReloadContacts(context_.state, *contacts_);
        } catch (const platform::RuntimeError&) {
            // Read again at the next change or save; what is shown stays meanwhile.
        }
    };
    // A link is followed: the file it names is the one that is replaced.
    const QString target = QFileInfo(file).canonicalFilePath();
    settingsWatcher_.addPath(QFileInfo(target.isEmpty() ? file : target).absolutePath());
    settingsWatcher_.addPath(file);
    connect(&settingsWatcher_, &QFileSystemWatcher::directoryChanged, this, reload);
    connect(&settingsWatcher_, &QFileSystemWatcher::fileChanged, this, reload);
}

void wMain::mCONTEXTMENU_REMOVECONTACT_Click() {
    if (SelectedNode.isEmpty() || !contacts_->NodeExists(SelectedNode)) {
        return;
    }
    SharedState& s = context_.state;
    const QString prompt = u"Are you sure you want to remove this contact?\r\n\r\n\t> "_s +
                           contacts_->NodeText(SelectedNode);
    if (platform::MsgBox(prompt, platform::vbYesNo | platform::vbQuestion, s.AppName) !=
        platform::vbYes) {
        return;
    }
    try {
        // The list as the file has it now: another copy may have changed it, even removed this.
        modLoadContacts::ReloadContacts(s, *contacts_);
        if (!contacts_->NodeExists(SelectedNode)) {
            return;
        }
        auto& collection =
            SelectedNode.startsWith(ContactKeys::kUserPrefix) ? s.UserContacts : s.DomainContacts;
        collection.Remove(SelectedNode);
        contacts_->RemoveNode(std::exchange(SelectedNode, QString()));
        modSaveContacts::SaveContacts(s);
    } catch (const platform::RuntimeError& e) {
        ShowHandlerError(s.AppName, u"mCONTEXTMENU_REMOVECONTACT_Click"_s, e);
    }
}

void wMain::TrayIcon_Activated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) {
        if (!isVisible()) {
            mSYSTRAY_SHOWHIDE->setText(HideCaption());
            ShowWindowNormal();
        } else {
            mSYSTRAY_SHOWHIDE->setText(ShowCaption());
            HideToTray();
        }
    } else if (reason == QSystemTrayIcon::Context) {
        mSYSTRAY->popup(QCursor::pos());
    }
}

void wMain::mSYSTRAY_SHOWHIDE_Click() {
    if (mSYSTRAY_SHOWHIDE->text() != HideCaption()) {
        mSYSTRAY_SHOWHIDE->setText(HideCaption());
        ShowWindowNormal();
    } else {
        mSYSTRAY_SHOWHIDE->setText(ShowCaption());
        HideToTray();
    }
}

void wMain::ShowWindowNormal() {
    showNormal();
    raise();
    activateWindow();
}

// Without a tray to come back from, the window stays minimised in the task bar instead. With
// one it is only withdrawn: asking the window manager to minimise it first leaves a state that,
// now and then, maps it minimised when it is next shown, and so hides it again at once.
void wMain::HideToTray() {
    if (!tray_.TrayAvailable()) {
        showMinimized();
        return;
    }
    hide();
}

void wMain::labErrorHelp_Click() {
    modErrorHelp::OpenErrorHelp(context_.state.ErrorHelpPath,
                                labErrorHelp->property("Tag").toString().toInt());
}

void wMain::SetStatusText(const QString& text) {
    context_.state.StatusText = text;
    FitStatus();
    labStatus->repaint();
}

void wMain::ShowErrorHelp(int errorHelpCode) {
    modErrorHelp::ShowErrorHelp(this, errorHelpCode);
    FitStatus();
}

void wMain::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        Form_QueryUnload();
        platform::FreeLibrary(std::exchange(shell32_, 0));
    }
    event->accept();
    QApplication::quit();
}

// Never cancels, and every step runs whatever failed before it: a program that cannot save its
// settings must still stop listening and take its windows and icon away. What failed, here or
// in the windows it closes, is told in one box at the end.
void wMain::Form_QueryUnload() {
    platform::MessageBoxGathering failures;
    const QString& appName = context_.state.AppName;
    const auto step = [&appName](auto run) {
        try {
            run();
        } catch (const platform::RuntimeError& e) {
            ShowHandlerError(appName, u"Form_QueryUnload"_s, e);
        }
    };
    step([&] { modSaveSettings::SaveContactListState(context_.state.SettingsFile, *contacts_); });
    step([&] { listener_.StopListening(); });
    step([&] {
        // Hidden in the tray counts as minimised.
        const bool shown = mSYSTRAY_SHOWHIDE->text() == HideCaption();
        if (shown && !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
            FormMetrics metrics(*this);
            modWindowMetrics::SaveWindowMetrics(context_.state.WindowMetricsINIFile, metrics, true,
                                                true);
        }
    });
    step([&] { UnloadAllWindows(); });
    step([&] { tray_.RemoveTrayIcon(imgSysTray); });
    // The session's end waits for nobody: the system would kill the program before an answer.
    if (sessionEnding_) {
        failures.Print(appName);
    } else {
        failures.Show(platform::vbExclamation, appName);
    }
}

// The four dialog-like windows that are open, then the rest from the most recently loaded back.
void wMain::UnloadAllWindows() {
    const SharedState& s = context_.state;
    const std::pair<bool, QString> flagged[] = {{s.AboutWindowOpen, u"wAbout"_s},
                                                {s.AddContactWindowOpen, u"wAddContact"_s},
                                                {s.CatchAllWindowOpen, u"wCatchAll"_s},
                                                {s.SettingsWindowOpen, u"wSettings"_s}};
    for (const auto& [open, name] : flagged) {
        if (open) {
            if (QWidget* window = context_.windows.Find(name)) {
                window->close();
            }
        }
    }
    const QList<QPointer<QWidget>> windows = context_.windows.LoadedWindows();
    for (qsizetype i = windows.size() - 1; i >= 0; --i) {
        if (windows[i] && windows[i] != this) {
            windows[i]->close();
        }
    }
}
