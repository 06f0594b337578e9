#pragma once
// The Share command: the selected files are copied into the share folder (asking first,
// as a paste there does) and the network share is made to match the folder.
namespace varnel {

struct FileOpsContext;
class FolderSharing;

// Every selected file is copied, however many there are. Files already in the share folder
// are not copied onto themselves. False when nothing was selected or the share failed.
bool ShareSelection(FileOpsContext& context, FolderSharing& sharing);

}  // namespace varnel
