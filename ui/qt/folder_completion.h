// Folder names completed in a box as they are typed.
#pragma once

class QLineEdit;

void CompleteFolderNames(QLineEdit& box);
