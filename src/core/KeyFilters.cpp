#include "KeyFilters.h"

#include "Prompt.h"

namespace {

constexpr int kBackspace = 8;

bool IsDigit(int keyCode)
{
    return keyCode >= '0' && keyCode <= '9';
}

} // namespace

int KeyFilterNumber(int keyCode)
{
    const bool accepted =
        IsDigit(keyCode) || keyCode == '.' || keyCode == '-' || keyCode == kBackspace;
    return accepted ? keyCode : 0;
}

int KeyFilterDigits(int keyCode)
{
    return IsDigit(keyCode) || keyCode == kBackspace ? keyCode : 0;
}

int KeyFilterNameChar(const QString &keyText)
{
    const int keyCode = keyText.toInt();
    if (keyCode == '\\' || keyCode == '/') {
        Prompt::Show(QChar(keyCode) + QStringLiteral(" is an invalid character."));
        return 0;
    }
    return keyCode;
}
