#pragma once

#include <QDialog>

class HyperLink;
class QFrame;
class QLabel;
class QPushButton;

namespace Tolv_Glimmertip {

// The component's About box: a banner, a link to the maker's web site and Close.
class wAbout : public QDialog {
    Q_OBJECT
public:
    explicit wAbout(QWidget* parent = nullptr);
    ~wAbout() override;

    QLabel* picSplash = nullptr;
    QFrame* fraMain = nullptr;
    HyperLink* lnkTolv = nullptr;
    QPushButton* cmdClose = nullptr;
};

}  // namespace Tolv_Glimmertip
