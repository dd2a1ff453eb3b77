#pragma once
// Texts of the main window that the controller builds at run time, written
// as UTF-8 here; the controller turns them into CP932 with Sjis().
namespace apptext {

inline constexpr const char* ApplicationTitle = "Velvane";

// The communication log's first line names the folder the data lives in.
inline constexpr const char* LogProgramFolder = "ﾃﾞｰﾀﾌｫﾙﾀﾞ: ";

inline constexpr const char* TipIdle = "新着ﾒｯｾｰｼﾞはありません";
inline constexpr const char* TipReceived = "%d件受信しました";
inline constexpr const char* TipReceivedDeleted = "%d件受信／%d件削除";
inline constexpr const char* TipResponding = "応答中です";
// Behind the received tip when messages over the size limit were deleted.
inline constexpr const char* TipOversize = "／%d件ｻｲｽﾞ超過で削除";

inline constexpr const char* CloseClientsBusy = "現在、ｸﾗｲｱﾝﾄに応答中のため、終了できません";
inline constexpr const char* CloseWorking = "作業中のため、終了できません";
inline constexpr const char* const CloseTail[] = {
    "",
    "「はい」をｸﾘｯｸすると作業を続けます",
    "",
    "「いいえ」をｸﾘｯｸすると作業を中断し、ただちに終了します",
    "中断すると受信箱に不整合が起こる恐れがあります",
    "数分経っても通信ﾛｸﾞに変化がない場合以外は、なるべく作業を続けてください",
};

// The question before a message is opened, the first that applies.
inline constexpr const char* OpenProgram =
    "このﾒｯｾｰｼﾞにはﾌﾟﾛｸﾞﾗﾑが含まれています\r\n"
    "ﾌﾟﾛｸﾞﾗﾑにはｳｨﾙｽなどが含まれているかも知れません\r\nこのﾒｯｾｰｼﾞを読みますか？";
inline constexpr const char* OpenHtml =
    "このﾒｯｾｰｼﾞはHTMLﾒｯｾｰｼﾞです\r\n"
    "HTMLﾒｯｾｰｼﾞには危険なｽｸﾘﾌﾟﾄが含まれている可能性があります\r\nこのﾒｯｾｰｼﾞを読みますか？";
inline constexpr const char* OpenBinary =
    "このﾒｯｾｰｼﾞにはﾊﾞｲﾅﾘﾌｧｲﾙが含まれています\r\n"
    "通常は安全ですが、未知の危険なﾌﾟﾛｸﾞﾗﾑである可能性もあります\r\nこのﾒｯｾｰｼﾞを読みますか？";

// What the viewer's commands tell when the file system or the desktop fails;
// the path and the reason follow on lines of their own.
inline constexpr const char* TempCopyFailed = "一時ﾌｧｲﾙを作成できません";
inline constexpr const char* DesktopOpenFailed =
    "開けません (xdg-open がないか、このﾌｧｲﾙを開くﾌﾟﾛｸﾞﾗﾑが登録されていません)";
inline constexpr const char* EditorStartFailed = "ｴﾃﾞｨﾀを起動できません";
inline constexpr const char* SaveFailed = "保存できません";

// Recovery at start-up, one line per mailbox that needed it: the mailbox,
// then the counts that are not zero.
inline constexpr const char* RecoveredHead = "復旧 %s:";
inline constexpr const char* RecoveredAdded = " 索引に戻したﾌｧｲﾙ %d";
inline constexpr const char* RecoveredCompleted = " 保存を完了したﾌｧｲﾙ %d";
inline constexpr const char* RecoveredDropped = " ﾌｧｲﾙのない項目 %d";
inline constexpr const char* RecoveredTemp = " 削除した一時ﾌｧｲﾙ %d";
inline constexpr const char* RecoveredRemembered = " 受信済みに戻したUIDL %d";
inline constexpr const char* RecoveredSkipped =
    "索引の項目を読み飛ばしました (ﾌｫﾙﾀﾞの外のﾌｧｲﾙ名): %s";

// A message could not be moved to the trash; the reason follows.
inline constexpr const char* MoveToTrashFailed = "ごみ箱に移動できませんでした: ";

} // namespace apptext
