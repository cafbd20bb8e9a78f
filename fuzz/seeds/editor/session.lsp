Content-Length: 83

{"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}}Content-Length: 57

{"jsonrpc": "2.0", "method": "initialized", "params": {}}Content-Length: 3200

{"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn", "languageId": "vorn", "version": 1, "text": "// Shared definitions: the simulator offsets the examples use, in FSUIPC's\n// own units, and two helpers that turn them into everyday numbers.\n// Include this file from a program; it must be copied in before the\n// program's own routines use the names.\n\nint AltitudeFt at 0x3324;          // altitude, feet\nint AirspeedRaw at 0x02BC;         // indicated airspeed, knots * 128\nint HeadingRaw at 0x0580;          // heading, degrees * 65536 * 65536 / 360\nint VerticalRaw at 0x02C8;         // vertical speed, metres per second * 256\nshortint OnGround at 0x0366;       // 1 on the ground\nshortint PauseControl at 0x0262;   // write 1 to pause, 0 to go on\nshortint Paused at 0x0264;         // 1 while paused\nbyte ClockHour at 0x0238;\nbyte ClockMinute at 0x0239;\nbyte ClockSecond at 0x023A;\nint ApHeadingHold at 0x07C8;       // 1 holds the heading bug\nshortint ApHeading at 0x07CC;      // heading bug, degrees * 65536 / 360\nint ApAltitudeHold at 0x07D0;      // 1 holds the autopilot altitude\nint ApAltitude at 0x07D4;          // autopilot altitude, metres * 65536\nshortint ApVerticalSpeed at 0x07F2; // feet per minute\n\n// Heading in whole degrees, 0 to 359.\nint HeadingDegrees() {\n   float h;\n   int d;\n   h = HeadingRaw * 360.0 / 4294967296.0 + 0.5;\n   if (h < 0.0) { h = h + 360.0; }\n   d = h;\n   if (d >= 360) { d = d - 360; }\n   return d;\n}\n\n// Vertical speed in feet per minute.\nint VerticalFpm() {\n   int v;\n   v = VerticalRaw * 0.76895;\n   return v;\n}\n\n// The simulator's time of day as \"hh:mm:ss\", for \"%s\".\nchar ClockBuffer[9];\n\nPutTwoDigits(int pos, int n) {\n   ClockBuffer[pos] = '0' + n / 10;\n   ClockBuffer[pos + 1] = '0' + n % 10;\n}\n\nint ClockText() {\n   PutTwoDigits(0, ClockHour);\n   ClockBuffer[2] = ':';\n   PutTwoDigits(3, ClockMinute);\n   ClockBuffer[5] = ':';\n   PutTwoDigits(6, ClockSecond);\n   ClockBuffer[8] = 0;\n   return ClockBuffer;\n}\n// The demo that `make run` starts: the built-in simulator flies a small\n// aircraft (--model) and a few scripted hot-key presses drive this program.\n//   Ctrl+S  one status line\n//   Ctrl+L  a flight log: a status line every second, in the background\n//   Ctrl+H  turn the autopilot's heading bug 90 degrees right\n#define LOG_LINES 5\n#define LOG_PERIOD 1\n#define QUARTER_TURN 16384\n\nchar line[96];\nint logged;\n\nStatus() {\n   sprintf(line, \"%s  ALT %d ft  IAS %d kt  HDG %d  VS %d fpm\",\n      ClockText(), AltitudeFt, AirspeedRaw / 128, HeadingDegrees(), VerticalFpm())\n   printstr(line)\n}\n\nsequence FlightLog() {\n   logged = 0;\n   while (logged < LOG_LINES) {\n      Status();\n      logged = logged + 1;\n      wait(LOG_PERIOD)\n   }\n   printstr(\"Flight log done\")\n}\n\nkey(Control, 'S') {\n   Status();\n}\n\nkey(Control, 'L') {\n   printstr(\"Flight log started\")\n   startseq FlightLog()\n}\n\nkey(Control, 'H') {\n   ApHeading = ApHeading + QUARTER_TURN;\n   ApHeadingHold = 1;\n   sprintf(line, \"Heading bug now %d\", (ApHeading * 360 / 65536 + 360) % 360)\n   printstr(line)\n}\n"}}}Content-Length: 164

{"jsonrpc": "2.0", "id": 120, "method": "textDocument/hover", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 5, "character": 5}}}Content-Length: 169

{"jsonrpc": "2.0", "id": 121, "method": "textDocument/definition", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 5, "character": 5}}}Content-Length: 169

{"jsonrpc": "2.0", "id": 122, "method": "textDocument/references", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 5, "character": 5}}}Content-Length: 172

{"jsonrpc": "2.0", "id": 123, "method": "textDocument/signatureHelp", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 5, "character": 5}}}Content-Length: 165

{"jsonrpc": "2.0", "id": 364, "method": "textDocument/hover", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 66, "character": 5}}}Content-Length: 170

{"jsonrpc": "2.0", "id": 365, "method": "textDocument/definition", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 66, "character": 5}}}Content-Length: 170

{"jsonrpc": "2.0", "id": 366, "method": "textDocument/references", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 66, "character": 5}}}Content-Length: 173

{"jsonrpc": "2.0", "id": 367, "method": "textDocument/signatureHelp", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 66, "character": 5}}}Content-Length: 165

{"jsonrpc": "2.0", "id": 372, "method": "textDocument/hover", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 68, "character": 1}}}Content-Length: 170

{"jsonrpc": "2.0", "id": 373, "method": "textDocument/definition", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 68, "character": 1}}}Content-Length: 170

{"jsonrpc": "2.0", "id": 374, "method": "textDocument/references", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 68, "character": 1}}}Content-Length: 173

{"jsonrpc": "2.0", "id": 375, "method": "textDocument/signatureHelp", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 68, "character": 1}}}Content-Length: 166

{"jsonrpc": "2.0", "id": 380, "method": "textDocument/hover", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 70, "character": 20}}}Content-Length: 171

{"jsonrpc": "2.0", "id": 381, "method": "textDocument/definition", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 70, "character": 20}}}Content-Length: 171

{"jsonrpc": "2.0", "id": 382, "method": "textDocument/references", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 70, "character": 20}}}Content-Length: 174

{"jsonrpc": "2.0", "id": 383, "method": "textDocument/signatureHelp", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 70, "character": 20}}}Content-Length: 165

{"jsonrpc": "2.0", "id": 400, "method": "textDocument/hover", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 75, "character": 4}}}Content-Length: 170

{"jsonrpc": "2.0", "id": 401, "method": "textDocument/definition", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 75, "character": 4}}}Content-Length: 170

{"jsonrpc": "2.0", "id": 402, "method": "textDocument/references", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 75, "character": 4}}}Content-Length: 173

{"jsonrpc": "2.0", "id": 403, "method": "textDocument/signatureHelp", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 75, "character": 4}}}Content-Length: 166

{"jsonrpc": "2.0", "id": 404, "method": "textDocument/hover", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 76, "character": 11}}}Content-Length: 171

{"jsonrpc": "2.0", "id": 405, "method": "textDocument/definition", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 76, "character": 11}}}Content-Length: 171

{"jsonrpc": "2.0", "id": 406, "method": "textDocument/references", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 76, "character": 11}}}Content-Length: 174

{"jsonrpc": "2.0", "id": 407, "method": "textDocument/signatureHelp", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 76, "character": 11}}}Content-Length: 165

{"jsonrpc": "2.0", "id": 408, "method": "textDocument/hover", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 77, "character": 7}}}Content-Length: 170

{"jsonrpc": "2.0", "id": 409, "method": "textDocument/definition", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 77, "character": 7}}}Content-Length: 170

{"jsonrpc": "2.0", "id": 410, "method": "textDocument/references", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 77, "character": 7}}}Content-Length: 173

{"jsonrpc": "2.0", "id": 411, "method": "textDocument/signatureHelp", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 77, "character": 7}}}Content-Length: 165

{"jsonrpc": "2.0", "id": 412, "method": "textDocument/hover", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 78, "character": 7}}}Content-Length: 170

{"jsonrpc": "2.0", "id": 413, "method": "textDocument/definition", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 78, "character": 7}}}Content-Length: 170

{"jsonrpc": "2.0", "id": 414, "method": "textDocument/references", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 78, "character": 7}}}Content-Length: 173

{"jsonrpc": "2.0", "id": 415, "method": "textDocument/signatureHelp", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 78, "character": 7}}}Content-Length: 130

{"jsonrpc": "2.0", "id": 2, "method": "textDocument/documentSymbol", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}}}Content-Length: 135

{"jsonrpc": "2.0", "id": 3, "method": "textDocument/semanticTokens/full", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}}}Content-Length: 83

{"jsonrpc": "2.0", "id": 4, "method": "workspace/symbol", "params": {"query": "a"}}Content-Length: 3217

{"jsonrpc": "2.0", "method": "textDocument/didChange", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn", "version": 2}, "contentChanges": [{"text": "// Shared definitions: the simulator offsets the examples use, in FSUIPC's\n// own units, and two helpers that turn them into everyday numbers.\n// Include this file from a program; it must be copied in before the\n// program's own routines use the names.\n\nint AltitudeFt at 0x3324;          // altitude, feet\nint AirspeedRaw at 0x02BC;         // indicated airspeed, knots * 128\nint HeadingRaw at 0x0580;          // heading, degrees * 65536 * 65536 / 360\nint VerticalRaw at 0x02C8;         // vertical speed, metres per second * 256\nshortint OnGround at 0x0366;       // 1 on the ground\nshortint PauseControl at 0x0262;   // write 1 to pause, 0 to go on\nshortint Paused at 0x0264;         // 1 while paused\nbyte ClockHour at 0x0238;\nbyte ClockMinute at 0x0239;\nbyte ClockSecond at 0x023A;\nint ApHeadingHold at 0x07C8;       // 1 holds the heading bug\nshortint ApHeading at 0x07CC;      // heading bug, degrees * 65536 / 360\nint ApAltitudeHold at 0x07D0;      // 1 holds the autopilot altitude\nint ApAltitude at 0x07D4;          // autopilot altitude, metres * 65536\nshortint ApVerticalSpeed at 0x07F2; // feet per minute\n\n// Heading in whole degrees, 0 to 359.\nint HeadingDegrees() {\n   float h;\n   int d;\n   h = HeadingRaw * 360.0 / 4294967296.0 + 0.5;\n   if (h < 0.0) { h = h + 360.0; }\n   d = h;\n   if (d >= 360) { d = d - 360; }\n   return d;\n}\n\n// Vertical speed in feet per minute.\nint VerticalFpm() {\n   int v;\n   v = VerticalRaw * 0.76895;\n   return v;\n}\n\n// The simulator's time of day as \"hh:mm:ss\", for \"%s\".\nchar ClockBuffer[9];\n\nPutTwoDigits(int pos, int n) {\n   ClockBuffer[pos] = '0' + n / 10;\n   ClockBuffer[pos + 1] = '0' + n % 10;\n}\n\nint ClockText() {\n   PutTwoDigits(0, ClockHour);\n   ClockBuffer[2] = ':';\n   PutTwoDigits(3, ClockMinute);\n   ClockBuffer[5] = ':';\n   PutTwoDigits(6, ClockSecond);\n   ClockBuffer[8] = 0;\n   return ClockBuffer;\n}\n// The demo that `make run` starts: the built-in simulator flies a small\n// aircraft (--model) and a few scripted hot-key presses drive this program.\n//   Ctrl+S  one status line\n//   Ctrl+L  a flight log: a status line every second, in the background\n//   Ctrl+H  turn the autopilot's heading bug 90 degrees right\n#define LOG_LINES 5\n#define LOG_PERIOD 1\n#define QUARTER_TURN 16384\n\nchar line[96];\nint logged;\n\nStatus() {\n   sprintf(line, \"%s  ALT %d ft  IAS %d kt  HDG %d  VS %d fpm\",\n      ClockText(), AltitudeFt, AirspeedRaw / 128, HeadingDegrees(), VerticalFpm())\n   printstr(line)\n}\n\nsequence FlightLog() {\n   logged = 0;\n   while (logged < LOG_LINES) {\n      Status();\n      logged = lgged + 1;\n      wait(LOG_PERIOD)\n   }\n   printstr(\"Flight log done\")\n}\n\nkey(Control, 'S') {\n   Status();\n}\n\nkey(Control, 'L') {\n   printstr(\"Flight log started\")\n   startseq FlightLog()\n}\n\nkey(Control, 'H') {\n   ApHeading = ApHeading + QUARTER_TURN;\n   ApHeadingHold = 1;\n   sprintf(line, \"Heading bug now %d\", (ApHeading * 360 / 65536 + 360) % 360)\n   printstr(line)\n}\n\nint Speed at $"}]}}Content-Length: 170

{"jsonrpc": "2.0", "id": 5, "method": "textDocument/completion", "params": {"textDocument": {"uri": "file:///fuzz/demo.vrn"}, "position": {"line": 100, "character": 14}}}Content-Length: 65

{"jsonrpc": "2.0", "id": 6, "method": "shutdown", "params": null}Content-Length: 52

{"jsonrpc": "2.0", "method": "exit", "params": null}