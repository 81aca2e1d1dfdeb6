#include "ui/main/wMain.h"

#include "controls/FormMetrics.h"
#include "controls/TreeWidgetState.h"
#include "core/SharedState.h"
#include "core/modLoadSettings.h"
#include "core/modSaveSettings.h"
#include "core/modWinXP.h"
#include "core/modWindowMetrics.h"
#include "platform/RuntimeError.h"
#include "platform/gui/MessageBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// Shows an error of a handler as every handler of the program does.
void ShowHandlerError(const QString& handler, const platform::RuntimeError& e) {
    platform::MsgBox(u"Error during "_s + handler + u": ["_s + QString::number(e.Number()) +
                         u"] - "_s + e.Description(),
                     platform::vbExclamation, Shared().AppName);
}

}  // namespace

wMain::wMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(u"wMain"_s);
    // The inner area of the design, before window metrics give other values.
    resize(213, 290);

    tvwContacts = new QTreeWidget(this);
    tvwContacts->setObjectName(u"tvwContacts"_s);
    tvwContacts->header()->hide();
    tvwContacts->setFrameShape(QFrame::NoFrame);
    tvwContacts->setRootIsDecorated(true);
    setCentralWidget(tvwContacts);
    treeState_ = std::make_unique<TreeWidgetState>(*tvwContacts);
}

wMain::~wMain() = default;

void wMain::Form_Initialize() {
    shell32_ = platform::LoadLibraryA(u"shell32.dll"_s);
    modWinXP::InitCommonControlsVB();
}

void wMain::Form_Load(std::function<void()> unloadSplash) {
    SharedState& s = Shared();
    try {
        setWindowTitle(s.AppName);
        AddGroupNodes();
        modLoadSettings::LoadContactListState(*treeState_);
        modLoadSettings::LoadSettings();

        s.WindowMetricsINIFile = s.SettingsFile;
        FormMetrics metrics(*this);
        modWindowMetrics::LoadWindowMetrics(metrics, true, true);

        if (s.MinimiseOnStartup) {
            // Until the tray icon exists, the task bar keeps the window reachable.
            showMinimized();
        } else {
            show();
        }
    } catch (const platform::RuntimeError& e) {
        ShowHandlerError(u"Form_Load"_s, e);
        show();
    }
    if (s.DisplaySplash && unloadSplash) {
        unloadSplash();
    }
}

void wMain::AddGroupNodes() {
    const auto add = [this](QTreeWidgetItem* parent, const QString& key, const QString& text) {
        auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvwContacts);
        node->setText(0, text);
        node->setData(0, TreeWidgetState::kKeyRole, key);
        if (!parent) {
            QFont bold = node->font(0);
            bold.setBold(true);
            node->setFont(0, bold);
        }
        return node;
    };
    QTreeWidgetItem* unknown = add(nullptr, u"_unknown"_s, u"Unknown"_s);
    add(unknown, u"_unknown_catchall"_s, u"Catch All"_s);
    add(nullptr, u"_users"_s, u"Users"_s);
    add(nullptr, u"_domains"_s, u"Domains"_s);
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

// Never cancels; an error stops the remaining steps, as in every handler.
void wMain::Form_QueryUnload() {
    try {
        modSaveSettings::SaveContactListState(*treeState_);
        if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
            FormMetrics metrics(*this);
            modWindowMetrics::SaveWindowMetrics(metrics, true, true);
        }
    } catch (const platform::RuntimeError& e) {
        ShowHandlerError(u"Form_QueryUnload"_s, e);
    }
}
