// The library's entry point: it joins the framework's resource chain and sets up the little
// process-wide state the subsystems share. It sits above every subsystem it starts.
#include "frame/bexlib32.h"
#include "frame/kelmdbg.h"
#include "ipc/AckMsg.h"

HINSTANCE g_hBexLib = NULL;
UINT g_nBexAckMsg = 0;

static AFX_EXTENSION_MODULE s_extBexLib = { FALSE, NULL, NULL };

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*lpReserved*/)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        if (!AfxInitExtensionModule(s_extBexLib, hInstance))
            return FALSE;
        // Joins the resource chain: the library's dialogs, icons and strings become findable
        // from the application. The chain owns the object and deletes it at detach.
        new CDynLinkLibrary(s_extBexLib);
        g_hBexLib = hInstance;
        g_nBexAckMsg = RegisterBexAckMessage();
        // Reported as line 52: the place support has always been told about.
        if (g_nBexAckMsg == 0)
            KelmDebug((char*)"KELM_ASSERT", (char*)"MsgBexAck != 0", (char*)__FILE__, 52);
    } else if (dwReason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(s_extBexLib);
    }
    return TRUE;
}
