// Reads a glTF or glb file with the Khronos glTF validator and prints the
// counts of its report as one JSON line: node gltf_validate.js <validator> <file>.
// Exits 77 when the validator is not installed.
const fs = require('fs');
const path = require('path');
if (!fs.existsSync(process.argv[2])) process.exit(77);
const validator = require(process.argv[2]);
const file = process.argv[3];
validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
  uri: path.basename(file),
  externalResourceFunction: (uri) => new Promise((resolve, reject) => {
    fs.readFile(path.join(path.dirname(file), decodeURIComponent(uri)),
                (error, data) => (error ? reject(error.toString()) : resolve(new Uint8Array(data))));
  }),
}).then((report) => {
  const issues = report.issues;
  console.log(JSON.stringify({
    errors: issues.numErrors, warnings: issues.numWarnings,
    messages: issues.messages.filter((m) => m.severity <= 1).map((m) => `${m.code} ${m.pointer || ''}: ${m.message}`),
  }));
}, (error) => {
  console.error(String(error));
  process.exit(1);
});
