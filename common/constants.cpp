#include "common/constants.h"

#include "sys/module_path.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

// Entries are defined in table order in this one file, so each computed entry
// sees the entries above it already built.

const std::string Pop3PluginFile = "CVpop3.dll";
const std::string PgpPluginFile = "CVpgp.dll";
const std::string QuickStartFile = "QuickStart.rtf";
const std::string QuickStartPop3File = "QuickStart.Pop3.rtf";
const std::string EncryptToList = "keys@corvaline.invalid,admin@corvaline.invalid";
const std::string DatabaseExt = ".dbc";
const std::string DpcExt = ".dpc";
const std::string EncryptedExt = ".pgp";
const std::string IniExt = ".ini";
const std::string BackupExt = ".bak";
const std::string TempExt = ".tmp";
const std::string OrgExt = ".org";
const std::string ProgramPathUpper = Utf8UpperCase(ModuleFileName());
const std::string ProgramDirLower = Utf8LowerCase(ExtractFilePath(ProgramPathUpper));
const std::string ProgramDatabaseFile = ChangeFileExt(ProgramPathUpper, DatabaseExt);
const std::string ProgramDpcFile = ChangeFileExt(ProgramPathUpper, DpcExt);
const std::string MixPoolKey = "MixPool";
const std::string ProgramIniFile = ChangeFileExt(ProgramPathUpper, IniExt);
const std::string ProgramEncryptedFile = ChangeFileExt(ProgramPathUpper, EncryptedExt);
const std::string ProgramEncryptedBackup = ProgramEncryptedFile + BackupExt;
const std::string ProgramEncryptedTemp = ProgramEncryptedFile + TempExt;
const std::string UpdateOnSendKey = "UpdateOnSend";
const std::string NymsKey = "Nyms";
const std::string NotesKey = "Notes";
const std::string MessagesKey = "Messages";
const std::string DraftsKey = "Drafts";
const std::string TemplatesKey = "Templates";
const std::string AddressBookKey = "Address Book";
const std::string MailboxesKey = "Mailboxes";
const std::string UserDataKey = "User Data";
const std::string MailQueueKey = "Mail Queue";
const std::string ProblemsQueueKey = "Problems Queue";
const std::string MailboxMenuKey = "Mailbox Menu";
const std::string MailboxPosKey = "Mailbox Pos";
const std::string StatsURLsKey = "StatsURLs";
const std::string HttpInfoKey = "Http Info";
const std::string FtpProxyKey = "Ftp Proxy";
const std::string UseFtpProxyKey = "Use Ftp Proxy";
const std::string MixmasterKey = "Mixmaster";
const std::string SmtpLogKey = "SmtpLog";
const std::string Pop3LogKey = "Pop3Log";
const std::string PopAccountsKey = "Pop Accounts";
const std::string LastMessageIdKey = "Last Message-ID";
const std::string UpdateSitesKey = "Update Sites";
const std::string RandomPoolKey = "RandomPool";
const std::string ClientCfgKey = "ClientCfg";
const std::string ExeText = "exe";
const std::string UnzipperFile = "unzipping.exe";
const std::string GotMailText = "You got mail!";
const std::string NoNewMailText = "Sorry, no new mail.";
const std::string UserCancelText = "User cancel";
const std::string AbortedText = "Error: aborted!";
const std::string MixMlistFile = "mlist.txt";
const std::string MixPubringFile = "pubring.mix";
const std::string MixType2ListFile = "type2.list";
const std::string MixRlistFile = "rlist.txt";
const std::string PubringAscFile = "pubring.asc";
const std::string MixKeyBeginLine = "-----Begin Mix Key-----";
const std::string WordWrapHeader = "Word-Wrap: ";
const std::string QteMarksKey = "QteMarks";
const std::string StatsMinUpdatesKey = "StatsMinUpdates";
const std::string WordWrapKey = "WordWrap";
const std::string WordWrapShowBoxKey = "WordWrapShowBox";
const std::string DontWrapQuotedKey = "DontWrapQuoted";
const std::string SendWrapCharsKey = "SendWrapChars";
const std::string SendWrapCharsCountKey = "SendWrapCharsCount";
const std::string SendWrapWinKey = "SendWrapWin";
const std::string SendWrapNotKey = "SendWrapNot";
const std::string FontNameKey = "FontName";
const std::string FontSizeKey = "FontSize";
const std::string WorkSpaceColorKey = "WorkSpaceColor";
const std::string NewNoteTitle = "New Note";
const std::string NewMessageTitle = "New Message";
const std::string NewArticleTitle = "New Usenet Article";
const std::string DefaultMessageKey = "default\xFF" "message";
const std::string DefaultArticleKey = "default\xFF" "article";
const std::string EncryptToHeader = "Encrypt-To: ";
const std::string MixRegistryKey = "Software\\Mixmaster";
const std::string MixExeFile = "mix.exe";
const std::string MixTempFile = "mix.tmp.CV";
const std::string MixConfigFile = "mix.cfg";
const std::string MixOutMask = "out*.txt";
const std::string MixClientConfig =
    "###### Client Config ######\r\nSENDMAIL outfile\r\nERRLOG errlog\r\nREMAIL n";

// Product and version group.
const std::string ClientExeFile = "CV.exe";
const std::string UninstallerFile = "Uninst" + ClientExeFile;
const std::string ProductName = "Corvaline";
const std::string ProductRegistryKey = "Software\\" + ProductName;
const std::string ProgramVersionTag = ".9b0";
const std::string SetupExeFile = "Setup.exe";
const std::string SetupTitle = "Corvaline Setup";
const std::string UninstExeFile = "Uninst.exe";
const std::string UninstallTitle = "Corvaline Uninstall";
const std::string CopyrightNotice =
    "Copyright (C) 2026 the Corvaline authors\nAll rights reserved.";
const std::string KeywordDate = "$Date$";
const std::string KeywordVersion = "$Version$";
const std::string KeywordVER = "$VER$";
const std::string KeywordAuthor = "$Author$";
const std::string KeywordCopyright = "$Copyright$";
const std::string KeywordFilename = "$Filename$";
const std::string KeywordHeader = "$Header$";
const std::string KeywordRevision = "$Revision$";
const std::string KeywordOwner = "$Owner$";
const std::string KeywordLogfile = "$Logfile$";
