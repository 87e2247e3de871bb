// The system menu's "start at sign-in" item: a value of the current user's Run key that
// starts this program, at each sign-in, with the options it was started with now.
#pragma once

#include <windows.h>

// Puts the item at the end of the system menu (sysMenu), below the picture's items.
void AddSignInItem();

// Checks the item when the Run value starts this program and Task Manager has not turned
// it off; read at each opening of the menu, since either may change meanwhile.
void UpdateSignInItem();

// Carries out the item: 1, or 0 for any other system command.
int OnSignInCommand(WPARAM command);
