// vornc lsp driven by the ecosystem's own LSP client (vscode-languageserver-protocol
// over vscode-jsonrpc), as VS Code's extension drives it.
// usage: node lsp_client.test.js VORNC EXAMPLES_DIR
'use strict';
const assert = require('node:assert/strict');
const cp = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const rpc = require('vscode-jsonrpc/node');
const lsp = require('vscode-languageserver-protocol');

const [vornc, examples] = process.argv.slice(2);
const demoPath = path.resolve(examples, 'demo.vrn');
const demoUri = pathToFileURL(demoPath).href;
const { fileURLToPath } = require('node:url');
const demoText = fs.readFileSync(demoPath, 'latin1');
const demoLines = demoText.split('\n');

// The 0-based line and column of the first line holding `text` at or after `from`.
function find(text, from = 0) {
  for (let i = from; i < demoLines.length; i++) {
    const c = demoLines[i].indexOf(text);
    if (c >= 0) return { line: i, character: c };
  }
  throw new Error(`demo.vrn has no "${text}"`);
}

function withTimeout(promise, what, ms = 5000) {
  return Promise.race([promise, new Promise((_, reject) => setTimeout(() => reject(new Error(`timed out: ${what}`)), ms))]);
}

async function main() {
  const server = cp.spawn(vornc, ['lsp'], { stdio: ['pipe', 'pipe', 'inherit'] });
  const connection = lsp.createProtocolConnection(new rpc.StreamMessageReader(server.stdout),
                                                  new rpc.StreamMessageWriter(server.stdin));
  const diagnostics = [];
  const waiters = [];
  connection.onNotification(lsp.PublishDiagnosticsNotification.type, (params) => {
    diagnostics.push(params);
    for (const w of waiters.splice(0)) w();
  });
  // The next diagnostics for uri that satisfy test.
  async function nextDiagnostics(uri, test, what) {
    const start = diagnostics.length;
    return withTimeout(new Promise((resolve) => {
      const check = () => {
        const hit = diagnostics.slice(start).reverse().find((d) => d.uri === uri && test(d.diagnostics));
        if (hit) resolve(hit.diagnostics); else waiters.push(check);
      };
      check();
    }), what);
  }
  connection.listen();

  const init = await connection.sendRequest(lsp.InitializeRequest.type,
    { processId: process.pid, rootUri: pathToFileURL(examples).href, capabilities: {} });
  assert.equal(init.capabilities.textDocumentSync.change, lsp.TextDocumentSyncKind.Full);
  connection.sendNotification(lsp.InitializedNotification.type, {});

  // Open the demo: it compiles clean.
  let clean = nextDiagnostics(demoUri, (d) => d.length === 0, 'clean demo');
  connection.sendNotification(lsp.DidOpenTextDocumentNotification.type,
    { textDocument: { uri: demoUri, languageId: 'vorn', version: 1, text: demoText } });
  await clean;

  // An edit breaks a line: the diagnostic is on that line, on the token it names.
  const broken = find('logged = logged + 1;');
  const edited = demoLines.slice();
  edited[broken.line] = edited[broken.line].replace('logged = logged + 1;', 'logged = lgged + 1;');
  const bad = nextDiagnostics(demoUri, (d) => d.length > 0, 'diagnostic after the edit');
  connection.sendNotification(lsp.DidChangeTextDocumentNotification.type,
    { textDocument: { uri: demoUri, version: 2 }, contentChanges: [{ text: edited.join('\n') }] });
  const found = await bad;
  assert.equal(found[0].range.start.line, broken.line, JSON.stringify(found));
  assert.equal(found[0].severity, lsp.DiagnosticSeverity.Error);
  assert.match(found[0].message, /lgged/);
  // The range is the token the message names "at or before".
  const named = found[0].message.split(' at or before ').pop();
  assert.equal(edited[broken.line].substring(found[0].range.start.character, found[0].range.end.character), named);

  // The fix takes it away.
  clean = nextDiagnostics(demoUri, (d) => d.length === 0, 'diagnostic gone after the fix');
  connection.sendNotification(lsp.DidChangeTextDocumentNotification.type,
    { textDocument: { uri: demoUri, version: 3 }, contentChanges: [{ text: demoText }] });
  await clean;

  // Hover over a global bound to an offset, declared in the library include.
  const use = find('ApHeading = ApHeading');
  const hover = await connection.sendRequest(lsp.HoverRequest.type,
    { textDocument: { uri: demoUri }, position: { line: use.line, character: use.character + 2 } });
  assert.match(hover.contents.value, /shortint ApHeading at \$07CC/);
  assert.match(hover.contents.value, /FSUIPC offset/);
  // The catalogue's name and description for that offset.
  assert.match(hover.contents.value, /ApHeading: autopilot heading bug/);

  // Hover over a data global: its address from the compile.
  const logged = find('int logged');
  const hoverData = await connection.sendRequest(lsp.HoverRequest.type,
    { textDocument: { uri: demoUri }, position: { line: logged.line, character: logged.character + 5 } });
  assert.match(hoverData.contents.value, /global, data \$1[0-9A-F]{6}/);

  // Definition across the include.
  const definition = await connection.sendRequest(lsp.DefinitionRequest.type,
    { textDocument: { uri: demoUri }, position: { line: use.line, character: use.character } });
  assert.match(definition.uri, /\/fsuipc\.vrn$/);
  const libraryLines = fs.readFileSync(fileURLToPath(definition.uri), 'latin1').split('\n');
  assert.match(libraryLines[definition.range.start.line], /^shortint ApHeading at/);

  // Document symbols: the key routines by their keys, the locals inside.
  const symbols = await connection.sendRequest(lsp.DocumentSymbolRequest.type, { textDocument: { uri: demoUri } });
  const names = symbols.map((s) => s.name);
  for (const expected of ['key Ctrl+S', 'key Ctrl+L', 'key Ctrl+H', 'FlightLog', 'Status', 'logged', 'LOG_LINES']) {
    assert.ok(names.includes(expected), `${expected} in ${names}`);
  }

  // Completion after "at $": the offsets the program's files bind.
  const typed = demoLines.slice();
  typed.splice(find('int logged').line + 1, 0, 'int Speed at $');
  connection.sendNotification(lsp.DidChangeTextDocumentNotification.type,
    { textDocument: { uri: demoUri, version: 4 }, contentChanges: [{ text: typed.join('\n') }] });
  const completion = await connection.sendRequest(lsp.CompletionRequest.type,
    { textDocument: { uri: demoUri }, position: { line: find('int logged').line + 1, character: 14 } });
  const labels = completion.map((c) => c.label);
  assert.ok(labels.includes('02BC'), `02BC in ${labels}`);
  assert.equal(completion.find((c) => c.label === '02BC').detail, 'IndicatedAirspeed');
  assert.ok(!labels.includes('while'), 'no keywords after at $');

  // An unknown method is an error answer, and the server lives on.
  await assert.rejects(connection.sendRequest('vorn/noSuchMethod', {}), (e) => e.code === lsp.ErrorCodes.MethodNotFound);

  await connection.sendRequest(lsp.ShutdownRequest.type);
  const exited = new Promise((resolve) => server.on('exit', resolve));
  connection.sendNotification(lsp.ExitNotification.type);
  assert.equal(await withTimeout(exited, 'exit'), 0);
  connection.dispose();
}

// Bad frames, written raw: each gets an error answer and the server answers
// the request after it.
async function badFrames() {
  const request = (id) => {
    const body = JSON.stringify({ jsonrpc: '2.0', id, method: 'initialize', params: {} });
    return `Content-Length: ${Buffer.byteLength(body)}\r\n\r\n${body}`;
  };
  const cases = [
    ['body not JSON', 'Content-Length: 5\r\n\r\n{bad}', -32700, 'not JSON'],
    ['body not an object', 'Content-Length: 2\r\n\r\n[]', -32700, 'not a JSON object'],
    ['no Content-Length', 'Content-Type: x\r\n\r\n', -32700, 'without a valid Content-Length'],
    ['length not a number', 'Content-Length: 12x\r\n\r\n', -32700, 'without a valid Content-Length'],
    // The limit is 32 MiB: one byte more is refused, and skipped.
    ['over the limit', `Content-Length: ${32 * 1024 * 1024 + 1}\r\n\r\n${' '.repeat(32 * 1024 * 1024 + 1)}`, -32700,
      'larger than the limit'],
    ['id of the wrong type', 'Content-Length: 37\r\n\r\n{"jsonrpc":"2.0","id":[1],"method":1}', -32600, 'id must be'],
    ['params of the wrong type', 'Content-Length: 82\r\n\r\n' +
      '{"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{"textDocument":5}}', -32602, 'invalid params'],
  ];
  // A length announced far past the limit is answered before its body comes.
  {
    const server = cp.spawn(vornc, ['lsp'], { stdio: ['pipe', 'pipe', 'inherit'] });
    const answered = new Promise((resolve) => server.stdout.on('data', (d) => {
      if (d.toString().includes('"code":-32700')) resolve();
    }));
    server.stdin.write('Content-Length: 99999999999\r\n\r\n');
    await withTimeout(answered, 'an announced huge frame');
    server.kill();
  }
  for (const [what, frame, code, message] of cases) {
    const server = cp.spawn(vornc, ['lsp'], { stdio: ['pipe', 'pipe', 'inherit'] });
    let out = '';
    server.stdout.on('data', (d) => { out += d.toString('latin1'); });
    // Initialized first, so a request's params are what is checked.
    server.stdin.write(request(1));
    server.stdin.write(frame);
    server.stdin.write(request(2));
    server.stdin.end();
    const status = await withTimeout(new Promise((resolve) => server.on('exit', resolve)), what);
    assert.equal(status, 0, what);
    assert.ok(out.includes(`"code":${code}`) && out.includes(message), `${what}: ${out}`);
    assert.ok(out.includes('"id":2'), `${what}: the next request is answered: ${out}`);
  }
}

main().then(badFrames).then(() => process.exit(0), (e) => {
  console.error(e);
  process.exit(1);
});
