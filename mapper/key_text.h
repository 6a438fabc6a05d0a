/*
 * key_text.h - the display text of a key assignment, e.g. {Ctrl}{C}.
 */
#ifndef ZAN_KEY_TEXT_H
#define ZAN_KEY_TEXT_H

#include "assignment.h"

/* Three pieces of at most 10 characters ({CapsLock}) and the terminator. */
#define KEY_TEXT_CHARS 31
/* The longest key name (CapsLock) and its terminator. */
#define KEY_NAME_CHARS 9

/* The name of a virtual key into pszName (KEY_NAME_CHARS); 0 when the key has none. */
int GetKeyName(WORD wVk, WCHAR *pszName);

/* Builds the pieces of the entry's keys into pszText (KEY_TEXT_CHARS). 0 when the key
 * count is not 1 to 3 (text untouched) or a key has no name (text holds the keys before it). */
int FormatKeyText(WCHAR *pszText, const ASSIGNMENT *pAssign);

#endif
