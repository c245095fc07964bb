// The settings dialogs of the kit analysis ("物料配套分析", TMRPminiSetDlg) and of the
// production shortage analysis ("生产缺料分析", TMRPLackSetDlg): the demand lines on the first
// page, the run options on the second, and the parameter scheme the options are kept in. OK
// moves past dates to today when the user agrees and refuses a line that occurs twice.
#pragma once

#include "analysis/mrpmini.h"
#include "views/viewsettingdlg.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QDateEdit;
class QRadioButton;
class QTableWidget;
class QTabWidget;

namespace kx {

class TMRPFilterTree;

// What both dialogs share: the pages, the options and the line grid.
class TMiniSetDlgBase : public TViewSettingDlg {
    Q_OBJECT

public:
    TMiniSetDlgBase(TMiniKind kind, const TInfoObjectDef* objectDef, TViewScheme* scheme, const QList<TMiniLine>& lines,
                    const QDate& today, QWidget* parent);

    QTabWidget* pgcPages;
    QTableWidget* grdLines;
    QPushButton* btnRemove;
    QPushButton* btnRemoveAll;
    QComboBox* cboTrackMode;
    QCheckBox* chkItemTrack;
    QCheckBox* chkCareLoss;
    QCheckBox* chkCareLot;
    QCheckBox* chkCareSafety;
    QCheckBox* chkOtherOut;
    QCheckBox* chkGrossOnly;
    QComboBox* cboReplace;
    QComboBox* cboSuites;
    QCheckBox* chkOneLevel;
    TMRPFilterTree* trlFilters;           // "参与范围(&C):"

    const QList<TMiniLine>& Lines() const { return FLines; }
    // Adds lines at the end of the grid (as the pickers do).
    void AddLines(const QList<TMiniLine>& lines);
    TMiniOptions Options() const;

    void LoadScheme() override;
    bool SaveScheme() override;

protected:
    bool CanClose() override;
    // The columns of the grid and the texts of a line under them.
    virtual QStringList ColumnCaptions() const = 0;
    virtual QStringList LineTexts(const TMiniLine& line) const = 0;
    // Page-one options of the shortage analysis.
    virtual void LoadPageOptions(const TMiniOptions&) {}
    virtual void SavePageOptions(TMiniOptions&) const {}
    // Lists the open lines of a bill object and adds the ones the user picks; with
    // "选单前显示筛选条件" the host's filter of the object comes first.
    void PickLines(int billType, const QString& objectID, bool askFilter);
    void RefreshGrid();

    QWidget* FLinesPage;
    QFormLayout* FOptionsForm;
    TMiniKind FKind;
    QDate FToday;
    QList<TMiniLine> FLines;
};

class TMRPminiSetDlg : public TMiniSetDlgBase {
    Q_OBJECT

public:
    TMRPminiSetDlg(const TInfoObjectDef* objectDef, TViewScheme* scheme, const QList<TMiniLine>& lines, const QDate& today,
                   QWidget* parent = nullptr);

    QPushButton* btnInsert;
    QPushButton* btnPick;
    QCheckBox* chkShowFilter;

protected:
    QStringList ColumnCaptions() const override;
    QStringList LineTexts(const TMiniLine& line) const override;
};

class TMRPLackSetDlg : public TMiniSetDlgBase {
    Q_OBJECT

public:
    TMRPLackSetDlg(const TInfoObjectDef* objectDef, TViewScheme* scheme, const QList<TMiniLine>& lines, const QDate& today,
                   QWidget* parent = nullptr);

    QComboBox* cboLackBills;
    QRadioButton* rbAllDates;
    QRadioButton* rbDelivDate;
    QDateEdit* edtDelivDate;
    QPushButton* btnPickMO;
    QPushButton* btnPickOO;
    QCheckBox* chkCurrentBom;

protected:
    QStringList ColumnCaptions() const override;
    QStringList LineTexts(const TMiniLine& line) const override;
    void LoadPageOptions(const TMiniOptions& options) override;
    void SavePageOptions(TMiniOptions& options) const override;
};

} // namespace kx
