#pragma once
// The application object: one running editor per user, the services in
// their fixed order, the main window, and the "/reset" start that deletes
// the user's photo database, thumbnail cache and settings.
//
// Exit codes: 0 after a normal run or after handing the command line to a
// running instance; 1 after "/reset" (kept from the original program);
// 2 when the project named on the command line cannot be opened.
//
// Environment, for tests and scripts:
//   OMBRAVELLE_QUIT_AFTER_MS=N  quit by itself N ms after start (any open
//                               message box is dismissed), so the program
//                               can run unattended.
//   OMBRAVELLE_NO_UPDATE_CHECK  set: no update check at start-up, so an
//                               unattended run neither asks nor goes out.
//   Tessary_server=URL          the update service's endpoint.
// A running instance prints one line "handover: <arguments>" on standard
// output for every command line handed over to it, and once it has dealt
// with it, "project: <path>" (the open project, empty when untitled).

class CCollageDoc;
class CCollageView;
class CMainFrame;
class CServices;

class CCollageApp
{
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitReset = 1;
    static constexpr int kExitOpenFailed = 2;

    static int run(int argc, char** argv);

    // Puts the canvas view into the window and wires them together: the
    // view answers its own commands first and hands the rest back, its
    // status texts, zoom and info-tips reach the window. Returns the view,
    // which the window owns.
    static CCollageView* plugInCanvasView(CMainFrame& frame, CCollageDoc& doc, CServices& services);
};
