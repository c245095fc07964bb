// The settings dialog of an inventory aging analysis ("物料库龄分析"): the stock of now or of a
// cut-off day, the warehouses, the age groups, the age statistic, the reference plan scheme, the
// dimensions to merge and the data condition. OK checks the settings and keeps the dialog open
// with the refusal shown when they cannot run.
#pragma once

#include "analysis/invage.h"
#include "views/dialog.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace kx {

struct TInfoObjectDef;

class TInvAgeSetDlg : public TDialog {
    Q_OBJECT

public:
    // The merge items offered are those the view's object has a field for.
    TInvAgeSetDlg(const TInfoObjectDef* viewDef, const TInvAgeSettings& settings, const QDate& today, QWidget* parent = nullptr);

    QRadioButton* rbStockNow;
    QRadioButton* rbStockDate;
    QDateEdit* edtInvDate;
    QCheckBox* chkAllStocks;
    QListWidget* lstStocks;
    QTableWidget* grdAgeGroups;
    QPushButton* btnInsertGroup;
    QPushButton* btnRemoveGroup;
    QComboBox* cboAgeType;
    QComboBox* cboPlanScheme;
    QCheckBox* chkMergeBatch;
    QCheckBox* chkMergeStock;
    QCheckBox* chkMergePlace;
    QCheckBox* chkMergeTrack;
    QLineEdit* edtCriteria;
    QPushButton* btnCriteria;

    // The settings as the dialog shows them.
    TInvAgeSettings Settings() const;
    // The warehouse IDs the list offers (all of them for "全部仓库").
    QStringList OfferedStocks() const;
    // Sets the intervals of the group grid and labels every group.
    void SetIntervals(const QList<int>& intervals);

protected:
    bool CanClose() override;

private:
    void LoadStocks(const QStringList& chosen);
    void LoadSchemes(int chosen, const QString& chosenText);
    void RelabelGroups();
    void btnCriteriaClick();

    QDate FToday;
    QString FCriteria;
    QString FCriteriaCode;
    bool FRelabeling = false;
};

} // namespace kx
