// PLACEHOLDER until the line-input dialog lands.
#include "zavok.h"

int ZAVOK_gets(const char *, char *) { return 0; }
