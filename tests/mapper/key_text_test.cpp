// The key text shown for key assignments.
#include <gtest/gtest.h>

#include "key_text.h"

namespace {

// Names in typed order; at a key without a name the text stops (the window shows what was
// named), and a key count outside 1 to 3 leaves the text alone.
TEST(KeyText, NamesInTypedOrder)
{
    struct Case { std::vector<WORD> keys; int count, result; const wchar_t *text; } cases[] = {
        { { VK_F1, VK_F10, VK_F24 }, 3, 1, L"{F1}{F10}{F24}" },
        { { VK_CAPITAL, VK_CAPITAL, VK_CAPITAL }, 3, 1, L"{CapsLock}{CapsLock}{CapsLock}" },  // the longest text
        { { '0', VK_SNAPSHOT, VK_LEFT }, 3, 1, L"{0}{PrtSc}{←}" },
        { { VK_MENU, VK_HOME, 'A' }, 3, 0, L"{Alt}" },
        { { 'A' }, 0, 0, L"old" },
        { { 'A' }, 4, 0, L"old" },
    };
    for (const Case &c : cases) {
        ASSIGNMENT a = {};
        a.nKeyCount = c.count;
        std::copy(c.keys.begin(), c.keys.end(), a.awKey);
        WCHAR text[KEY_TEXT_CHARS] = L"old";
        EXPECT_EQ(c.result, FormatKeyText(text, &a)) << c.keys[0];
        EXPECT_STREQ(c.text, text);
    }
}

}  // namespace
