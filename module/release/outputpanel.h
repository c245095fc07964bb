// The option panel above the output view: the scheme to release from, substitutes, plan
// type, the last period proposed for release, the default and offered suppliers and the
// history quantities. Changed options wait for "确定" (or "取消"); the view keeps them in its
// scheme's parameters between uses.
#pragma once

#include <QDate>
#include <QFrame>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;

namespace kx {

// The options the rows were (or are to be) loaded with.
struct TOutputPanelValues {
    int SchemeIID = 0;
    bool Replace = false;
    int PlanType = 0;
    int EndPeriod = -1;
    int SuppDef = 0;
    int SuppList = 0;
    bool RefPOQty = false;
    bool RefUseQty = false;
    QDate RefDate;
};

class TMRPOutputPanel : public QFrame {
    Q_OBJECT

public:
    explicit TMRPOutputPanel(QWidget* parent = nullptr);

    QComboBox* cboScheme;
    QLabel* lblState;
    QCheckBox* chkReplace;
    QComboBox* cboPlanType;
    QComboBox* cboEndPeriod;
    QComboBox* cboSuppDef;
    QComboBox* cboSuppList;
    QCheckBox* chkRefPOQty;
    QCheckBox* chkRefUseQty;
    QDateEdit* edtRefDate;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QLabel* lblSelectAll;
    QLabel* lblUnselectAll;

    TOutputPanelValues Values() const;
    // Puts values on the controls without marking them changed.
    void SetValues(const TOutputPanelValues& values);
    // Options changed and not yet applied or dropped.
    bool Pending() const;
    void SetPending(bool pending);

    // Reads and writes the kept options in a view's parameter text.
    static void ReadParams(const QString& params, TOutputPanelValues& values);
    static QString WriteParams(const QString& params, const TOutputPanelValues& values);

Q_SIGNALS:
    void SchemeChanged();
    void Applied();
    void Dropped();
    void SelectAll(bool checked);

private:
    void OptionChanged();
    bool FSetting = false;
};

} // namespace kx
