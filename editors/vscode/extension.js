// The Vorn extension: `vornc lsp` for .vrn files, started from the vornc the
// setting vorn.vorncPath names. The debugger joins it once vornc has a dap command.
'use strict';
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

function vorncPath() {
  return vscode.workspace.getConfiguration('vorn').get('vorncPath') || 'vornc';
}

function activate(context) {
  client = new LanguageClient('vorn', 'Vorn', { command: vorncPath(), args: ['lsp'] },
                              { documentSelector: [{ scheme: 'file', language: 'vorn' }] });
  client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
