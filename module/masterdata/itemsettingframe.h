// The item planning settings view on "KX_MRP.Items": the item master with its planning
// parameters in bands. The action "Update" switches to edit mode, where every row can be
// changed and the changed rows are checked and stored through KX_MRP_UpdateItemSetting.
#pragma once

#include "views/gridview.h"

namespace kx {

class TItemSettingFrame : public TInfoGridView {
    Q_OBJECT

public:
    TItemSettingFrame(QWidget* owner, const TInfoObjectDef* objectDef);

    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    bool SaveData() override;
    void FetchCustomDrawFormat(int Record, TCellDrawFormat& Format, const TViewColumn* Column) override;

    // The field that holds the identity of a picker column's value ("ItmPlanner" -> "ItmPlannerID").
    static QString IdentityField(const QString& field);

protected:
    void LoadData(bool KeepPosition) override;
    void EnterEditMode() override;
    void LeaveEditMode() override;

private:
    int UpdateCommand() const;
    void UpdateBandVisibility();
    // A picker column's text changed: the identity (and for the planning item its name and
    // specification) follow the row that the text names.
    void grdItemSettingEditValueChanged(int Record, const QString& Field);
    void SetPicked(int Record, const QString& Field, const QVariantMap& row);

    bool FResolving = false;
    QMap<QString, QVariantMap> FPicked;   // "record|field" -> the row picked in the popup
};

} // namespace kx
