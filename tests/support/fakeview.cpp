#include "fakeview.h"

#include "db/quote.h"

namespace kx::test {

HRESULT TFakeListView::QueryInterface(const TGUID& iid, void** obj)
{
    if (iid == IID_IInfoView || iid == IID_IInterface) {
        *obj = static_cast<IInfoView*>(this);
        return S_OK;
    }
    *obj = nullptr;
    return E_NOINTERFACE;
}

void TFakeListView::SetSelectedRecordValue(const QString& field, int index, const QVariant& value)
{
    if (index >= 0 && index < Rows.size())
        Rows[index].insert(field, value);
}

QString TFakeListView::GetFocusedRecordString(const QString& field)
{
    const QVariant v = Rows.isEmpty() ? QVariant() : Rows.first().value(field);
    return v.isNull() ? QStringLiteral("null") : SQLValue(v);
}

QVariant TFakeListView::GetSelectedRecordValue(const QString& field, int index)
{
    return index >= 0 && index < Rows.size() ? Rows[index].value(field) : QVariant();
}

} // namespace kx::test
