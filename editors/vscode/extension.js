// The Vorn extension: `vornc lsp` for .vrn files, `vornc dap` for the debugger
// type "vorn". Both are the vornc the setting vorn.vorncPath names.
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
  context.subscriptions.push(vscode.debug.registerDebugAdapterDescriptorFactory('vorn', {
    createDebugAdapterDescriptor: () => new vscode.DebugAdapterExecutable(vorncPath(), ['dap']),
  }));
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
