#!/usr/bin/env node
// Runs the Khronos glTF validator over each file named and prints its report
// in short; exits 1 when any file has an error (warnings are printed only).
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

async function validate(file) {
    const bytes = new Uint8Array(fs.readFileSync(file));
    const folder = path.dirname(file);
    const report = await validator.validateBytes(bytes, {
        uri: file,
        maxIssues: 200,
        externalResourceFunction: (uri) =>
            new Promise((resolve, reject) => {
                fs.readFile(path.join(folder, decodeURIComponent(uri)), (err, data) =>
                    err ? reject(err.toString()) : resolve(new Uint8Array(data)));
            }),
    });
    const issues = report.issues;
    console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ${issues.numInfos} infos`);
    for (const message of issues.messages) {
        if (message.severity <= 1) {
            const kind = message.severity === 0 ? 'error' : 'warning';
            console.log(`  ${kind} ${message.code} at ${message.pointer || ''}: ${message.message}`);
        }
    }
    return issues.numErrors;
}

(async () => {
    let errors = 0;
    for (const file of process.argv.slice(2)) {
        try {
            errors += await validate(file);
        } catch (e) {
            console.log(`${file}: cannot validate: ${e}`);
            errors += 1;
        }
    }
    process.exit(errors > 0 ? 1 : 0);
})();
