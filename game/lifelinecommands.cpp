// The lifeline commands. Each is enabled for a game and turned off once used.

#include "tform1.h"

void TForm1::N4Click() {}

void TForm1::N5Click() {}

void TForm1::N50501Click() {}
