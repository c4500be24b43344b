// The shared vocabulary: named, immutable strings that every module uses.
// Built during static initialisation in table order; the computed entries
// follow the running program's own path.
#pragma once
#include <string>

#include "db/settings_record.h"  // InitializationKey
#include "msg/marks.h"          // MarkAD, MarkA8, MarkA9, MarkAC

// Main group.
extern const std::string Pop3PluginFile;
extern const std::string PgpPluginFile;
extern const std::string QuickStartFile;
extern const std::string QuickStartPop3File;
extern const std::string EncryptToList;
extern const std::string DatabaseExt;
extern const std::string DpcExt;
extern const std::string EncryptedExt;
extern const std::string IniExt;
extern const std::string BackupExt;
extern const std::string TempExt;
extern const std::string OrgExt;
extern const std::string ProgramPathUpper;
extern const std::string ProgramDirLower;
extern const std::string ProgramDatabaseFile;
extern const std::string ProgramDpcFile;
extern const std::string MixPoolKey;
extern const std::string ProgramIniFile;
extern const std::string ProgramEncryptedFile;
extern const std::string ProgramEncryptedBackup;
extern const std::string ProgramEncryptedTemp;
// Key names of the client's stored data.
extern const std::string UpdateOnSendKey;
extern const std::string NymsKey;
extern const std::string NotesKey;
extern const std::string MessagesKey;
extern const std::string DraftsKey;
extern const std::string TemplatesKey;
extern const std::string AddressBookKey;
extern const std::string MailboxesKey;
extern const std::string UserDataKey;
extern const std::string MailQueueKey;
extern const std::string ProblemsQueueKey;
extern const std::string MailboxMenuKey;
extern const std::string MailboxPosKey;
extern const std::string StatsURLsKey;
extern const std::string HttpInfoKey;
extern const std::string FtpProxyKey;
extern const std::string UseFtpProxyKey;
extern const std::string MixmasterKey;
extern const std::string SmtpLogKey;
extern const std::string Pop3LogKey;
extern const std::string PopAccountsKey;
extern const std::string LastMessageIdKey;
extern const std::string UpdateSitesKey;
extern const std::string RandomPoolKey;
extern const std::string ClientCfgKey;
extern const std::string ExeText;
extern const std::string UnzipperFile;
// Status texts.
extern const std::string GotMailText;
extern const std::string NoNewMailText;
extern const std::string UserCancelText;
extern const std::string AbortedText;
// Mixmaster file names and key marker.
extern const std::string MixMlistFile;
extern const std::string MixPubringFile;
extern const std::string MixType2ListFile;
extern const std::string MixRlistFile;
extern const std::string PubringAscFile;
extern const std::string MixKeyBeginLine;
extern const std::string WordWrapHeader;
// Setting names.
extern const std::string QteMarksKey;
extern const std::string StatsMinUpdatesKey;
extern const std::string WordWrapKey;
extern const std::string WordWrapShowBoxKey;
extern const std::string DontWrapQuotedKey;
extern const std::string SendWrapCharsKey;
extern const std::string SendWrapCharsCountKey;
extern const std::string SendWrapWinKey;
extern const std::string SendWrapNotKey;
extern const std::string FontNameKey;
extern const std::string FontSizeKey;
extern const std::string WorkSpaceColorKey;
extern const std::string NewNoteTitle;
extern const std::string NewMessageTitle;
extern const std::string NewArticleTitle;
extern const std::string DefaultMessageKey;
extern const std::string DefaultArticleKey;
extern const std::string EncryptToHeader;
extern const std::string MixRegistryKey;
extern const std::string MixExeFile;
extern const std::string MixTempFile;
extern const std::string MixConfigFile;
extern const std::string MixOutMask;
extern const std::string MixClientConfig;

#include "common/product.h"
