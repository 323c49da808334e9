// The game itself: starting a game, the questions, the answers and the end of a game.

#include "tform1.h"

void TForm1::NewGame() {}

void TForm1::FaqBtn1Click(int tag)
{
    Q_UNUSED(tag);
}

void TForm1::N6Click() {}

void TForm1::N4Click() {}

void TForm1::N5Click() {}

void TForm1::N50501Click() {}
