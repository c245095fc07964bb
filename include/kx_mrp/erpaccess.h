// The host's access to the suite's bills. The module fills bills through these
// interfaces; the host numbers and stores them.
#pragma once

#include <QString>
#include <QVariant>

#include <memory>

namespace kx {

class IRowList;

// Named values of a bill head or of one bill row; a row may own named row lists of its own.
class IValueList {
public:
    virtual QVariant GetValue(const QString& Name) const = 0;
    virtual void SetValue(const QString& Name, const QVariant& Value) = 0;
    virtual IRowList* GetRowList(const QString& Name) = 0;

protected:
    ~IValueList() = default;
};

class IRowList {
public:
    virtual int Count() const = 0;
    virtual IValueList* Row(int Index) = 0;
    virtual IValueList* Add() = 0;                  // appends a row and returns its values

protected:
    ~IRowList() = default;
};

class IBill {
public:
    virtual ~IBill() = default;
    virtual IValueList* Head() = 0;                  // "BillID", "BillNo", "Date", "UserID" ...
    virtual IRowList* GetRowList(const QString& Name) = 0;   // "Rows"
    // A statement run in the transaction that stores the bill, after the bill's own rows.
    virtual void AddStatement(const QString& SQL) = 0;
    // Stores the bill in one transaction. Returns the bill's identity, or an empty text
    // with the reason in Error; nothing of a failed store remains.
    virtual QString Save(QString& Error) = 0;
};

class IERPAccess {
public:
    virtual std::unique_ptr<IBill> NewBill(int Kind) = 0;
    virtual int MaxBillRows(int Kind) = 0;          // most rows one bill of the kind may hold

protected:
    ~IERPAccess() = default;
};

} // namespace kx
