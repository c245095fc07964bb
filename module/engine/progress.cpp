#include "engine/progress.h"

#include "db/escape.h"
#include "db/shared.h"

namespace kx {

void TStatusProgress::ShowText(const QString& text)
{
    ShowStatusText(text, 0);
}

void TStatusProgress::ShowPosition(qint64, qint64) {}

void TStatusProgress::CheckAbort()
{
    CheckEscape(true);
}

TStatusProgress::~TStatusProgress()
{
    ShowStatusText(QString(), 0);
}

} // namespace kx
