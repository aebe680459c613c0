# The program's messages that the scripts wait for and answer, byte for byte
# as it shows them; sourced through tools/kauto-lib.sh. Each name is that of
# the program's own constant (shell/texts.h, removable/blank_folder.h), and a
# native test (ScriptTexts) fails when a text here is not the program's.
# A message made of parts is written as its parts around what goes between,
# as in "$CannotDeletePrefix$path$InUseRemovable".

# Questions
DownloadQuestion="Some file not found. Button 'computer' has been disable. Are you sure to download new version?"
ConfirmScan="Are you sure to scan this device?"
ConfirmDelete="Are you sure to delete this file(s)?"
ConfirmShowAll="Are you sure to show all file this device?"
ConfirmRegistry="Are you sure to do this?"
RestoreQuestionPrefix="The virus moved your files into a folder without a name. Move them back to "
RestoreQuestionSuffix=" now?"

# Results and warnings
ScanFound="Scan complete. Delete file that you don't know."
ComputerFound="Done. Virus shortcut detect!"
ComputerClean="Done. Virus shortcut not detect!"
DeleteComplete="Delete complete!"
DeleteLeftRemovable="Delete complete. If unknown file still exist, please login in Safe Mode OR try next boot(restart computer)!"
DeleteLeftComputer="Delete complete. If that unknown file still exist, please login in Safe Mode!"
CannotDeletePrefix="Cannot delete file '"
InUseRemovable="' because file is being used."
InUseComputer="' because file is being used. Try again."
SelectFile="Please select file to delete!"
RunAsAdmin="Make sure you 'Run As Administrator' to do this. (For windows 7 and vista only)"
