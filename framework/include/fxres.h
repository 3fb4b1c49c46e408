// Command identifiers of the framework, for code and for resource scripts alike.
#pragma once

// The framework's Help command. A dialog treats it as the standard IDHELP button.
#define ID_HELP 0xE146
