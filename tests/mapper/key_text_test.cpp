// The key text shown for key assignments.
#include <gtest/gtest.h>

#include "key_text.h"

namespace {

TEST(KeyText, NamesInTypedOrder)
{
    struct Case { std::vector<WORD> keys; int result; const wchar_t *text; } cases[] = {
        { { VK_CONTROL, VK_SHIFT, 'S' }, 1, L"{Ctrl}{Shift}{S}" },
        { { VK_F1, VK_F9, VK_F10 }, 1, L"{F1}{F9}{F10}" },
        { { VK_F11, VK_F12, VK_F24 }, 1, L"{F11}{F12}{F24}" },
        { { VK_CAPITAL, VK_CAPITAL, VK_CAPITAL }, 1, L"{CapsLock}{CapsLock}{CapsLock}" },  // the longest text
        { { '0', VK_SNAPSHOT, VK_NUMLOCK }, 1, L"{0}{PrtSc}{NumLk}" },
        { { VK_LEFT, VK_UP, VK_RIGHT }, 1, L"{←}{↑}{→}" },
        { { VK_MENU, VK_HOME, 'A' }, 0, L"{Alt}" },  // Home has no name: stop there
        { { VK_NUMPAD1 }, 0, L"" },
    };
    for (const Case &c : cases) {
        ASSIGNMENT a = {};
        a.nKeyCount = (int)c.keys.size();
        for (size_t i = 0; i < c.keys.size(); i++)
            a.awKey[i] = c.keys[i];
        WCHAR text[KEY_TEXT_CHARS] = L"old";
        EXPECT_EQ(c.result, FormatKeyText(text, &a)) << c.keys[0];
        EXPECT_STREQ(c.text, text);
    }
}

TEST(KeyText, KeyCountOutsideOneToThreeLeavesTheText)
{
    for (int count : { 0, -1, 4, 1000 }) {
        ASSIGNMENT a = {};
        a.nKeyCount = count;
        a.awKey[0] = 'A';
        WCHAR text[KEY_TEXT_CHARS] = L"old";
        EXPECT_EQ(0, FormatKeyText(text, &a));
        EXPECT_STREQ(L"old", text);
    }
}

}  // namespace
