// The browser face of a game on the class server.
