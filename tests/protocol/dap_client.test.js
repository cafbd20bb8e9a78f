// vornc dap driven by the DebugClient of @vscode/debugadapter-testsupport,
// the client VS Code's own adapters are tested with: a short session over
// the demo with the built-in simulator, then malformed frames written raw.
// usage: node dap_client.test.js VORNC EXAMPLES_DIR
'use strict';
const assert = require('node:assert/strict');
const cp = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { DebugClient } = require('@vscode/debugadapter-testsupport');

const [vornc, examples] = process.argv.slice(2);
const demo = path.resolve(examples, 'demo.vrn');
const lines = fs.readFileSync(demo, 'latin1').split('\n');
// The 1-based number of the first line holding `text` after line `from`.
function lineOf(text, from = 0) {
  const i = lines.findIndex((l, n) => n >= from && l.includes(text));
  assert.ok(i >= 0, `demo.vrn has no "${text}"`);
  return i + 1;
}
const byName = (variables, name) => variables.find((v) => v.name === name) || assert.fail(`no ${name}: ${JSON.stringify(variables)}`);

async function session() {
  const dc = new DebugClient(vornc, 'dap', 'vorn');
  dc.defaultTimeout = 20000;
  await dc.start();
  try {
    const outputs = [];
    dc.on('output', (e) => outputs.push(e.body));
    const init = await dc.initializeRequest();
    assert.ok(init.body.supportsConditionalBreakpoints && init.body.supportsConfigurationDoneRequest);
    assert.deepEqual(init.body.exceptionBreakpointFilters.map((f) => f.label), ['runtime errors']);

    // The arguments are those the extension declares for its debugger type.
    const launch = { program: demo, model: true, fast: true, presses: [{ key: 'Ctrl+S', tick: 5 }] };
    const declared = JSON.parse(fs.readFileSync(path.join(__dirname, '../../editors/vscode/package.json'))).contributes.debuggers
      .find((d) => d.type === 'vorn').configurationAttributes.launch.properties;
    assert.deepEqual(Object.keys(launch).filter((k) => !(k in declared)), []);
    await Promise.all([dc.waitForEvent('initialized'), dc.launchRequest(launch)]);
    const status = lineOf('Status() {');
    const first = lineOf('alt = AltitudeFeet();', status);
    // The blank line after Status has no code: the breakpoint moves to the next line that has.
    const blank = lineOf('}', status) + 1;
    assert.equal(lines[blank - 1].trim(), '');
    const set = await dc.setBreakpointsRequest({ source: { path: demo }, breakpoints: [{ line: first }, { line: blank }] });
    const [bp, moved] = set.body.breakpoints;
    assert.deepEqual([bp.verified, bp.line, moved.verified], [true, first, true]);
    assert.ok(moved.line > blank && lines[moved.line - 1].trim() !== '', JSON.stringify(moved));
    await dc.setExceptionBreakpointsRequest({ filters: ['runtime'] });

    const stopped = dc.waitForEvent('stopped');
    await dc.configurationDoneRequest();
    const stop = (await stopped).body;
    assert.deepEqual([stop.reason, stop.hitBreakpointIds], ['breakpoint', [bp.id]]);
    const threads = (await dc.threadsRequest()).body.threads;
    assert.ok(threads.some((t) => t.id === stop.threadId && t.name === 'key Ctrl+S'), JSON.stringify(threads));

    const frames = (await dc.stackTraceRequest({ threadId: stop.threadId })).body.stackFrames;
    assert.deepEqual(frames.map((f) => [f.name, f.line, path.resolve(f.source.path)]),
                     [['Status', first, demo], ['key Ctrl+S', lineOf('Status();', lineOf("key(Control, 'S')")), demo]]);
    // In pages, as a client asks for a deep stack: each page's frames, the whole count.
    for (const [startFrame, levels, names] of [[0, 1, ['Status']], [1, 1, ['key Ctrl+S']], [1, 0, ['key Ctrl+S']], [2, 5, []]]) {
      const page = (await dc.stackTraceRequest({ threadId: stop.threadId, startFrame, levels })).body;
      assert.deepEqual([page.stackFrames.map((f) => f.name), page.totalFrames], [names, 2], `startFrame ${startFrame}, levels ${levels}`);
    }

    const scopes = (await dc.scopesRequest({ frameId: frames[0].id })).body.scopes;
    assert.deepEqual(scopes.map((s) => s.name), ['Locals', 'Parameters', 'Globals', 'FSUIPC']);
    const variables = async (s) => (await dc.variablesRequest({ variablesReference: scopes[s].variablesReference })).body.variables;
    assert.deepEqual((await variables(0)).map((v) => [v.name, v.value]), [['alt', '0'], ['ias', '0'], ['hdg', '0'], ['vs', '0']]);
    assert.deepEqual(await variables(1), []);
    assert.equal(byName(await variables(2), 'logged').value, '0');
    // Read fresh from the simulator, with the catalogue's unit: "460 (1509 ft)".
    const msl = byName(await variables(3), 'AltitudeMsl');
    const metres = Number((/^(\d+) \(\d+ ft\)$/.exec(msl.value) || assert.fail(JSON.stringify(msl)))[1]);
    assert.match(msl.type, /FSUIPC \$0574/);
    // Hover, and a change the program then sees.
    const setLogged = await dc.setVariableRequest({ variablesReference: scopes[2].variablesReference, name: 'logged', value: '3' });
    assert.equal(setLogged.body.value, '3');
    assert.equal((await dc.evaluateRequest({ expression: 'logged + 2', frameId: frames[0].id, context: 'hover' })).body.result, '5');

    // Next: the following line of Status, with alt read from the simulator.
    const stepped = dc.waitForEvent('stopped');
    await dc.nextRequest({ threadId: stop.threadId });
    assert.equal((await stepped).body.reason, 'step');
    const after = (await dc.stackTraceRequest({ threadId: stop.threadId })).body.stackFrames;
    assert.equal(after[0].line, first + 1);
    const alt = Number(byName((await dc.variablesRequest({ variablesReference: scopes[0].variablesReference })).body.variables, 'alt').value);
    // Whole metres against feet from the finer offset: within a metre.
    assert.ok(metres > 0 && Math.abs(alt * 0.3048 - (metres + 0.5)) <= 1, `alt ${alt} ft, AltitudeMsl ${msl.value}`);

    // Continue: the status line comes out, the process ends, and (fast) the program is over.
    const exited = dc.waitForEvent('thread');
    const terminated = dc.waitForEvent('terminated');
    await dc.continueRequest({ threadId: stop.threadId });
    assert.deepEqual((await exited).body, { reason: 'exited', threadId: stop.threadId });
    await terminated;
    assert.ok(outputs.some((o) => o.category === 'stdout' && o.output.includes(`ALT ${alt} ft`)), JSON.stringify(outputs));
  } finally {
    await dc.stop();
  }
}

// Malformed frames: each gets a failed response; the request after it is answered.
async function badFrames() {
  const initialize = JSON.stringify({ seq: 2, type: 'request', command: 'initialize', arguments: { adapterID: 'vorn' } });
  const frame = (body) => `Content-Length: ${Buffer.byteLength(body)}\r\n\r\n${body}`;
  const cases = [
    ['body not JSON', frame('{bad}'), 'not JSON'],
    ['no Content-Length', 'X: 1\r\n\r\n', 'without a valid Content-Length'],
    ['over the limit', `Content-Length: ${32 * 1024 * 1024 + 1}\r\n\r\n${' '.repeat(32 * 1024 * 1024 + 1)}`, 'larger than the limit'],
    ['not an object', frame('[1,2]'), 'not a JSON object'],
    ['not a request', frame('{"seq":1,"type":"response"}'), 'only requests'],
    ['unknown command', frame('{"seq":1,"type":"request","command":"fly"}'), 'unknown request fly'],
    ['program of the wrong type', frame('{"seq":1,"type":"request","command":"launch","arguments":{"program":7}}'), 'needs \\"program\\"'],
    ['no such program', frame('{"seq":1,"type":"request","command":"launch","arguments":{"program":"nowhere.vrn"}}'), 'cannot open'],
    ['a bad press', frame(`{"seq":1,"type":"request","command":"launch","arguments":{"program":${JSON.stringify(demo)},"presses":[{"key":"Ctrl+S","tick":0}]}}`), 'a press must be'],
    ['source of the wrong type', frame('{"seq":1,"type":"request","command":"setBreakpoints","arguments":{"source":3}}'), 'no program is launched'],
  ];
  for (const [what, bytes, message] of cases) {
    const adapter = cp.spawn(vornc, ['dap'], { stdio: ['pipe', 'pipe', 'inherit'] });
    let out = '';
    adapter.stdout.on('data', (d) => { out += d.toString('latin1'); });
    adapter.stdin.on('error', () => {});  // an adapter that ended early shows in the checks below
    adapter.stdin.write(bytes);
    adapter.stdin.write(frame(initialize));
    adapter.stdin.end();
    const status = await new Promise((resolve) => adapter.on('exit', resolve));
    assert.equal(status, 0, what);
    assert.ok(out.includes('"success":false') && out.includes(message), `${what}: ${out}`);
    assert.match(out, /"command":"initialize","request_seq":2,"seq":\d+,"success":true/, `${what}: the next request is answered`);
  }
}

// The link's stored settings hold for a launch as in the window: a message
// name the built-in simulator does not answer keeps the program from starting.
async function storedSettings() {
  const folder = fs.mkdtempSync(path.join(require('node:os').tmpdir(), 'vorn-dap-'));
  const settings = path.join(folder, 'vorn.conf');
  fs.writeFileSync(settings, '[Link]\nMessageName=Other:IPC\n');
  const frame = (seq, command, args) => {
    const body = JSON.stringify({ seq, type: 'request', command, arguments: args });
    return `Content-Length: ${Buffer.byteLength(body)}\r\n\r\n${body}`;
  };
  const env = { ...process.env, VORN_NO_SETTINGS: '', VORN_SETTINGS_FILE: settings };
  const adapter = cp.spawn(vornc, ['dap'], { stdio: ['pipe', 'pipe', 'inherit'], env });
  let out = '';
  // The input ends once the launch has had its answer, or after 20 s: an adapter whose input ends stops at once.
  const ended = setTimeout(() => adapter.stdin.end(), 20000);
  adapter.stdout.on('data', (d) => {
    out += d.toString('latin1');
    if (out.includes('registering the message failed') || out.includes('"event":"terminated"')) {
      clearTimeout(ended);
      adapter.stdin.end();
    }
  });
  adapter.stdin.write(frame(1, 'initialize', { adapterID: 'vorn' }) + frame(2, 'launch', { program: demo, fast: true }) +
    frame(3, 'configurationDone', {}));
  await new Promise((resolve) => adapter.on('exit', resolve));
  fs.rmSync(folder, { recursive: true, force: true });
  assert.ok(out.includes('registering the message failed'), `the stored message name is not used: ${out}`);
}

session().then(badFrames).then(storedSettings).then(() => process.exit(0), (e) => {
  console.error(e);
  process.exit(1);
});
