/*
 * remote_arrival.h - whether an arriving HID interface may be a Wii Remote, by its name: a
 * mouse, a headset or a keyboard arriving is no reason to look for remotes.
 */
#ifndef ZAN_REMOTE_ARRIVAL_H
#define ZAN_REMOTE_ARRIVAL_H

#include <windows.h>

/* 1 when the device interface name carries Nintendo's vendor id 057E: "VID_057E" over USB,
 * "VID&0002057E" (a bus prefix before the id) over Bluetooth; any case. */
int IsRemoteInterfaceName(LPCWSTR pszName);

#endif
