Content-Length: 65

{"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {}}Content-Length: 5

{bad}Content-Length: x

Content-Length: 2

[]Content-Length: 90

{"jsonrpc": "2.0", "id": 2, "method": "textDocument/hover", "params": {"textDocument": 5}}Content-Length: 100

{"a":