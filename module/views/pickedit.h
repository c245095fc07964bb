// The search-popup editor: an edit whose button opens a list of rows to pick from (users,
// creators, lookups, items). TPickEditProperties holds what the popup runs and which
// column becomes the edit's text.
#pragma once

#include "views/exbuttonedit.h"
#include "views/recordset.h"

#include "kx_mrp/objectdef.h"

#include <functional>

namespace kx {

class TQuery;

struct TPickEditProperties : TExButtonEditProperties {
    TQuery* FRefQuery = nullptr;          // the query the popup runs on; null: the shared query
    QString FCaption;                     // shown in the popup's caption
    QString FSQL;                         // base statement; "%0:s" stands for the quoted search text
    QString FWhereOrder;                  // condition and order put after " where "; "%0:s" as above
    QString FFixedFields;                 // columns shown first, also the default order
    QString FTextField;                   // the column whose value becomes the edit's text
    QString FText;                        // the current text; the search text when the popup opens
    bool FMultiSelect = false;
    QString FKeyField;                    // a lookup's key column, when its definition names one
    std::function<void(const TRecordSet& picked)> FAfterDataPicked;

    // Sets the picker up for a user, creator or lookup field. Inside a filter dialog the
    // user list offers "<我>", the current user. False (and nothing set) when the field's
    // value source names no columns.
    bool SetupForField(const TInfoFieldDef& field, bool inFilterDialog = false);
    bool IsSet() const { return !FSQL.isEmpty(); }
    // The statement the popup opens for a search text.
    QString BuildSQL(const QString& searchText) const;
    // Shows the popup on FText; on a pick sets FText, calls FAfterDataPicked and returns true.
    bool ShowPicker(QWidget* parent = nullptr);
};

// "[name]" written as the server's quoted identifier "name".
QString BracketsToQuotes(const QString& text);

class TPickEdit : public TExButtonEdit {
    Q_OBJECT

public:
    explicit TPickEdit(QWidget* parent = nullptr);

    TPickEditProperties Properties;

private:
    void PickValue();
};

} // namespace kx
