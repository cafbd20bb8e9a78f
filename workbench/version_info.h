#pragma once
// Version values of the program, in one place. Plain macros so that both C++
// and the Windows resource compiler (windres, for the .rc version resource)
// can include this file.

// Fixed file version: major, minor, release, build.
#define VORN_FILE_VERSION_MAJOR 0
#define VORN_FILE_VERSION_MINOR 1
#define VORN_FILE_VERSION_RELEASE 0
#define VORN_FILE_VERSION_BUILD 0

// Fixed product version.
#define VORN_PRODUCT_VERSION_MAJOR 1
#define VORN_PRODUCT_VERSION_MINOR 0
#define VORN_PRODUCT_VERSION_RELEASE 0
#define VORN_PRODUCT_VERSION_BUILD 0

// The one string table: English (United Kingdom), code page 1252.
#define VORN_VERSION_STRING_TABLE "080904E4"
#define VORN_VERSION_LANGUAGE 0x0809
#define VORN_VERSION_CODEPAGE 1252

#define VORN_FILE_DESCRIPTION "Vorn - Compiler/Interpreter for FSUIPC"
#define VORN_PRODUCT_NAME "Vorn"
#define VORN_INTERNAL_NAME "Vorn"
#define VORN_FILE_VERSION_TEXT "0.1.0.0"
#define VORN_PRODUCT_VERSION_TEXT "1.0.0.0"
// The other standard entries (CompanyName, LegalCopyright, LegalTrademarks,
// OriginalFilename, Comments) are empty.
