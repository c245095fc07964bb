// Shared small types of the host contract: GUIDs, edit modes, command states and numbers,
// message kinds and the field-type enumeration that object definitions and datasets share.
#pragma once

#include <cstdint>

namespace kx {

struct TGUID {
    std::uint32_t D1;
    std::uint16_t D2;
    std::uint16_t D3;
    std::uint8_t D4[8];

    friend constexpr bool operator==(const TGUID& a, const TGUID& b)
    {
        if (a.D1 != b.D1 || a.D2 != b.D2 || a.D3 != b.D3)
            return false;
        for (int i = 0; i < 8; ++i)
            if (a.D4[i] != b.D4[i])
                return false;
        return true;
    }
};

enum TEditMode { emNone, emNew, emModify };

// A command state is a set of these flags.
enum TCommandStateFlag : unsigned { csEnabled = 1, csChecked = 2, csHidden = 4 };
using TCommandState = unsigned;

enum TMessageKind { mkNone, mkInformation, mkWarning, mkError };

// Command numbers shared by views, frames and editors. Action n of an object
// definition answers to cmdAction + n.
enum TCommand : int {
    cmdSave = 2,
    cmdCancel = 3,
    cmdExport = 5,
    cmdPageSetup = 6,
    cmdDesignReport = 7,
    cmdPrint = 8,
    cmdPrintPreview = 9,
    cmdFillValues = 26,
    cmdSchemeFields = 42,
    cmdSchemeSettings = 43,
    cmdSchemeFilter = 44,
    cmdSchemeQuickFilter = 45,
    cmdEditorPrior = 47,
    cmdEditorNext = 48,
    cmdRefresh = 49,
    cmdPosition = 50,
    cmdAction = 100,
};

// Field types of datasets and object definitions, in the order of the classic dataset
// field-type enumeration.
enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
    ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
    ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
    ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
    ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd, ftFixedWideChar, ftWideMemo
};

constexpr bool IsTextFieldType(TFieldType t)
{
    return t == ftString || t == ftFixedChar || t == ftWideString || t == ftFixedWideChar
        || t == ftMemo || t == ftFmtMemo || t == ftWideMemo;
}

constexpr bool IsNumericFieldType(TFieldType t)
{
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftFloat || t == ftCurrency
        || t == ftBCD || t == ftAutoInc || t == ftLargeint || t == ftFMTBcd;
}

constexpr bool IsOrdinalFieldType(TFieldType t)
{
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc || t == ftLargeint;
}

constexpr bool IsDateFieldType(TFieldType t)
{
    return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp;
}

} // namespace kx
