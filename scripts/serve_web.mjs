// Serves a folder of static files on localhost, as any web server would
// serve build-web/site: ./play.sh --web and the page's tests use it.
//   node scripts/serve_web.mjs <folder> [port]
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const kTypes = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream', '.ogg': 'audio/ogg',
  '.png': 'image/png', '.json': 'application/json', '.txt': 'text/plain; charset=utf-8',
};

// Resolves with the server and its address once it listens; `extra` may
// answer a path first (the tests' own files).
export function serve(folder, port = 0, extra = null) {
  const root = resolve(folder);
  const server = createServer(async (request, response) => {
    try {
      const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
      const own = extra && (await extra(path));
      if (own) {
        response.writeHead(200, { 'Content-Type': own.type, 'Cache-Control': 'no-store' });
        response.end(own.body);
        return;
      }
      const file = normalize(join(root, path.endsWith('/') ? path + 'index.html' : path));
      if (file !== root && !file.startsWith(root + sep)) throw Object.assign(new Error('outside'), { code: 'ENOENT' });
      const body = await readFile(file);
      response.writeHead(200, { 'Content-Type': kTypes[extname(file)] || 'application/octet-stream',
                                'Cache-Control': 'no-cache' });
      response.end(request.method === 'HEAD' ? undefined : body);
    } catch (error) {
      const missing = error.code === 'ENOENT' || error.code === 'EISDIR';
      response.writeHead(missing ? 404 : 500, { 'Content-Type': 'text/plain' });
      response.end(missing ? 'not found\n' : 'cannot read the file\n');
    }
  });
  return new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(port, '127.0.0.1', () => done({ server, url: `http://127.0.0.1:${server.address().port}/` }));
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [folder, port] = process.argv.slice(2);
  if (!folder) {
    console.error('usage: node scripts/serve_web.mjs <folder> [port]');
    process.exit(2);
  }
  const { url } = await serve(folder, Number(port || 8586));
  console.log(`Tarvolen is served at ${url} (Ctrl+C stops it)`);
}
