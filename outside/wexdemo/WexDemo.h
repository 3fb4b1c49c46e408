// What the sample application answers while it runs as a responder ("WexDemo respond [mode]").
//
// Its main window (class "WexWClass") answers "MsgDataExchange" with the request's bytes in
// reverse order (the request counts up to its last non-zero byte, as the zeros behind it cannot
// be told from the mapping's padding). The requests below are posted to it with wParam the
// requester's window, which receives the acknowledge ("MsgBexAck") with the result: 32 bits, as
// the product's width carries, whatever the width of the two programs.
#pragma once

#include <windows.h>

// lParam a molecule: the length of its string.
#define WEXM_MOLECULE_LENGTH    (WM_APP + 1)
// lParam a molecule: the atom of the same string added by the responder as a molecule of its own.
#define WEXM_MOLECULE_ADD       (WM_APP + 2)
// lParam a molecule: the responder drops one reference of it; 1.
#define WEXM_MOLECULE_DELETE    (WM_APP + 3)
// A molecule holding the responder's command line; the requester deletes it.
#define WEXM_COMMAND_LINE       (WM_APP + 4)
// The low 32 bits of the responder's instance handle (all of it on the product's width).
#define WEXM_INSTANCE           (WM_APP + 5)

// The responder's modes: how it answers each request.
#define WEX_RESPOND_NORMAL      "normal"
// A reply whose byte count claims a megabyte more than the reply mapping holds.
#define WEX_RESPOND_OVERSIZE    "oversize"
// The process ends on the first request, without answering.
#define WEX_RESPOND_DIE         "die"
// Before each answer, clicks, keys and an invalidation are posted to the requester's window.
#define WEX_RESPOND_NOISY       "noisy"
// Acknowledge, then quit: the main window closes right after the first answer; the process
// stays a few seconds more, so that a reply mapping can still be read.
#define WEX_RESPOND_QUIT        "quit"
