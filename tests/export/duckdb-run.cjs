// Runs SQL statements in one DuckDB session and prints the rows of each statement that returns any, for the
// export tests: "## N" (the statement's number, from 1), then one line per row, the values tab-separated,
// NULL as \N.
//
// Usage: node duckdb-run.cjs MODULE_DIR WORK_DIR SQL_FILE
'use strict';
const path = require('path');
const fs = require('fs');

async function main() {
  const [moduleDir, workDir, sqlFile] = process.argv.slice(2);
  const { DuckDBInstance } = require(path.join(moduleDir, 'node_modules', '@duckdb', 'node-api'));
  const sql = fs.readFileSync(sqlFile, 'utf8');
  process.chdir(workDir);
  const instance = await DuckDBInstance.create(':memory:');
  const connection = await instance.connect();
  // Nothing is fetched at run time: the extensions needed (csv, json, parquet) are built in.
  await connection.run('SET autoinstall_known_extensions = false');
  const statements = sql.split(/;\s*(?:\n|$)/).map((s) => s.trim()).filter((s) => s.length > 0);
  let number = 0;
  for (const statement of statements) {
    number += 1;
    const reader = await connection.runAndReadAll(statement);
    if (reader.columnCount === 0) continue;
    const rows = reader.getRows();
    if (rows.length === 0 && !/^\s*select/i.test(statement)) continue;
    process.stdout.write(`## ${number}\n`);
    for (const row of rows) {
      process.stdout.write(row.map((v) => (v === null ? '\\N' : String(v))).join('\t') + '\n');
    }
  }
}

main().catch((error) => {
  process.stderr.write(`duckdb: ${error.message}\n`);
  process.exit(1);
});
