// Loading an image into the pages: every list, grid and edit set from BaselineImage.
#include "mainform.h"

void TMainForm::ShowEEPROMSet() {}
