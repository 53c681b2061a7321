#pragma once
// The update window FrmUpdate ("升级"): downloads the update file over
// HTTP/1.0 as soon as it opens, shows size, progress, rate and times, then
// runs the version check and closes.
//
// Window class "KorvimoUpdate", top-level, no owner. Its controls, by id (the
// ids are fixed so that tools outside the program can find them):
//
//   id    name          kind                         text
//   7100  Frame1        group box (BUTTON)           "文件下载进程信息"
//   7101  Picture1      progress bar ("KorvimoProgressBar"), visible while downloading
//   7102  lblStatus     STATIC   hidden while downloading; "下载完成！" or "下载失败！"
//   7103  Label2        STATIC   "文件大小:"
//   7104  lblSize       STATIC   total size ("1.50 KB"), empty while unknown
//   7105  Label3        STATIC   "接收文件:"
//   7106  lblRecieve    STATIC   bytes received
//   7107  Label4        STATIC   "速率:"
//   7108  lblSpeed      STATIC   rate in 1000 bytes/s, "0" when complete
//   7109  Label5        STATIC   "剩余时间:"
//   7110  lblRemaining  STATIC   time left HH:MM:SS
//   7111  Label6        STATIC   "已用时间:"
//   7112  lblElapsed    STATIC   time used HH:MM:SS
//
// Timers on the window: 1 = tmrTimeLeft (1000 ms), 2 = tmrUpdateProgress (1 ms).
// The update URL is http://update.korvimo.example/qrvupdate.txt unless the
// environment variable KORVIMO_UPDATE_URL is set and not empty; a ":port"
// after the host picks the port (default 80). The file is downloaded to
// %TEMP%\qrvu.tmp and deleted after the check.
#include <windows.h>

namespace korvimo {

inline constexpr const wchar_t* kUpdateWindowClass = L"KorvimoUpdate";

inline constexpr int IDC_UPDATE_FRAME1 = 7100;
inline constexpr int IDC_UPDATE_PICTURE1 = 7101;
inline constexpr int IDC_UPDATE_LBLSTATUS = 7102;
inline constexpr int IDC_UPDATE_LABEL2 = 7103;
inline constexpr int IDC_UPDATE_LBLSIZE = 7104;
inline constexpr int IDC_UPDATE_LABEL3 = 7105;
inline constexpr int IDC_UPDATE_LBLRECIEVE = 7106;
inline constexpr int IDC_UPDATE_LABEL4 = 7107;
inline constexpr int IDC_UPDATE_LBLSPEED = 7108;
inline constexpr int IDC_UPDATE_LABEL5 = 7109;
inline constexpr int IDC_UPDATE_LBLREMAINING = 7110;
inline constexpr int IDC_UPDATE_LABEL6 = 7111;
inline constexpr int IDC_UPDATE_LBLELAPSED = 7112;

inline constexpr UINT_PTR kTimerTimeLeft = 1;
inline constexpr UINT_PTR kTimerUpdateProgress = 2;

// Shows the update window without blocking: creates it, which starts a
// download, on first use; while it is open, only brings it up again.
// Returns the window (nullptr if it could not be created).
HWND ShowUpdateWindow(HINSTANCE instance);

// The tool menu's update command.
void update_Click(HINSTANCE instance);

}  // namespace korvimo
