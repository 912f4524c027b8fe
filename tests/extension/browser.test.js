// The extension in a real Chromium, headless, with the built native messaging host and the
// desktop program running under Xvfb: a page whose video address exists only once its script
// has run (fetched from a JSON endpoint; the file refuses requests without the page's cookie)
// shows that video in the popup, whose "Download" puts it in the desktop program's list, named
// after the page's title; a link's "Download with Vidtrawl" does the same for the link.
'use strict';
const {test} = require('node:test');
const assert = require('node:assert');
const {spawn, spawnSync} = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');

const build = process.env.VIDTRAWL_BUILD_DIR;
const EXTENSION_ID = 'fbdecleinkhcbmoclcklflijekklgmed';
const TITLE = 'Harbour at dawn';
const sleep = ms => new Promise(done => setTimeout(done, ms));

async function until(what, check, seconds = 15) {
  for (const end = Date.now() + seconds * 1000; Date.now() < end; await sleep(100)) {
    const value = await check();
    if (value)
      return value;
  }
  throw new Error('timed out waiting for ' + what);
}

// The page, its JSON endpoint and its video, on loopback; the video only with the page's cookie.
function startSite() {
  const server = http.createServer((request, response) => {
    if (request.url === '/watch') {
      response.writeHead(200, {'Content-Type': 'text/html', 'Set-Cookie': 'session=s3cret; Path=/'});
      response.end(`<title>${TITLE}</title><video id="player" muted preload="auto"></video>
        <a id="link" href="/watch/next">next</a>
        <script>fetch('/api/clip.json').then(answer => answer.json()).then(clip => {
          player.src = clip.src; player.load(); });</script>`);
    } else if (request.url === '/api/clip.json') {
      response.writeHead(200, {'Content-Type': 'application/json'});
      response.end(JSON.stringify({src: '/media/clip-720p.mp4?token=a1'}));
    } else if (request.url.startsWith('/media/') && /session=s3cret/.test(request.headers.cookie)) {
      response.writeHead(200, {'Content-Type': 'video/mp4', 'Content-Length': 65536});
      response.end(Buffer.alloc(65536));
    } else {
      response.writeHead(request.url.startsWith('/media/') ? 403 : 404).end();
    }
  });
  return new Promise(done => server.listen(0, '127.0.0.1', () => done(server)));
}

// Xvfb on a free display: [process, ":N"].
async function startXvfb() {
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-nolisten', 'tcp', '-screen', '0', '1024x768x24'],
    {stdio: ['ignore', 'ignore', 'ignore', 'pipe']});
  let number = '';
  xvfb.stdio[3].on('data', data => { number += data; });
  await until('Xvfb', () => number.includes('\n'));
  return [xvfb, ':' + number.trim()];
}

// Chromium's DevTools protocol over --remote-debugging-pipe: JSON messages ended by NUL.
function devTools(browser) {
  let pending = Buffer.alloc(0), next = 0;
  const waiting = new Map();
  browser.stdio[4].on('data', data => {
    pending = Buffer.concat([pending, data]);
    for (let end; (end = pending.indexOf(0)) >= 0; pending = pending.subarray(end + 1)) {
      const message = JSON.parse(pending.subarray(0, end));
      waiting.get(message.id)?.(message);
    }
  });
  const call = (method, params = {}, sessionId) => new Promise((done, fail) => {
    waiting.set(++next, message => message.error ? fail(new Error(message.error.message)) : done(message.result));
    browser.stdio[3].write(JSON.stringify({id: next, method, params, sessionId}) + '\0');
  });
  // A script's value in a target (awaited when it is a promise).
  const inTarget = async targetId => {
    const {sessionId} = await call('Target.attachToTarget', {targetId, flatten: true});
    return async expression => {
      const {result, exceptionDetails} = await call('Runtime.evaluate',
        {expression, awaitPromise: true, returnByValue: true}, sessionId);
      return exceptionDetails ? undefined : result.value;
    };
  };
  return {call, inTarget};
}

const missing = ['chromium', 'Xvfb'].filter(tool => spawnSync('which', [tool]).status !== 0);

test('the popup and the link menu hand items to the desktop program', {
  skip: missing.length && process.env.CI !== 'true' ? missing.join(', ') + ' not installed' : false,
}, async t => {
  assert.deepStrictEqual(missing, [], 'needed: ' + missing.join(', '));
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vidtrawl-browser-'));
  const home = path.join(work, 'home'), runtime = path.join(work, 'runtime');
  fs.mkdirSync(runtime, {mode: 0o700});
  fs.mkdirSync(path.join(home, '.config/vidtrawl'), {recursive: true});
  fs.writeFileSync(path.join(home, '.config/vidtrawl/registry.ini'),
    '[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\nURL Mon=False\n');
  const profile = path.join(work, 'profile', 'NativeMessagingHosts');
  fs.mkdirSync(profile, {recursive: true});
  fs.copyFileSync(path.join(build, 'native-messaging-hosts/chromium/org.example.vidtrawl.json'),
    path.join(profile, 'org.example.vidtrawl.json'));
  const site = await startSite();
  const page = `http://127.0.0.1:${site.address().port}`;
  const [xvfb, display] = await startXvfb();
  const env = {PATH: process.env.PATH, HOME: home, XDG_CONFIG_HOME: path.join(home, '.config'),
    XDG_DATA_HOME: path.join(home, '.local/share'), XDG_RUNTIME_DIR: runtime, DISPLAY: display,
    QT_QPA_PLATFORM: 'xcb', LC_ALL: 'C.UTF-8'};
  const desktop = spawn(path.join(build, 'bin/vidtrawl'), [], {env, stdio: 'ignore'});
  const browser = spawn('chromium', ['--headless=new', '--no-sandbox', '--disable-gpu',
    '--no-first-run', '--disable-background-networking', '--disable-component-update',
    '--disable-sync', '--remote-debugging-pipe', '--user-data-dir=' + path.dirname(profile),
    '--load-extension=' + path.join(build, 'extension'), 'about:blank'],
  {env, stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe']});
  t.after(async () => {
    for (const child of [browser, desktop, xvfb])
      if (child.exitCode === null && child.signalCode === null)
        await new Promise(done => child.once('exit', done).kill());
    site.close();
    fs.rmSync(work, {recursive: true, force: true});
  });
  const {call, inTarget} = devTools(browser);
  await until('the desktop program', () => fs.existsSync(path.join(runtime, 'vidtrawl-program-' + display)));

  // The extension, under its fixed id, and the tab the page plays in.
  const worker = await until('the extension', async () => (await call('Target.getTargets')).targetInfos
    .find(target => target.url === `chrome-extension://${EXTENSION_ID}/background.js`));
  const background = await inTarget(worker.targetId);
  await until('the background script', () => background('typeof menuClicked === "function"'));
  await call('Target.createTarget', {url: page + '/watch'});
  const tab = await until('the tab', () => background(`chrome.tabs.query({url: '${page}/watch'})
    .then(tabs => tabs[0]?.status === 'complete' && tabs[0].id)`));
  const media = await until('the video in the list', async () => {
    const list = await background(`mediaOf(${tab})`);
    return list?.length && list;
  });
  assert.deepStrictEqual(media.map(entry => [entry.url, entry.kind, entry.quality, entry.size]),
    [[page + '/media/clip-720p.mp4?token=a1', 'file', 720, 65536]]);

  // Its "Download" in the popup.
  const {targetId} = await call('Target.createTarget',
    {url: `chrome-extension://${EXTENSION_ID}/popup.html#tab=${tab}`});
  const popup = await inTarget(targetId);
  assert.strictEqual(await until('the popup', () => popup('document.querySelector("#media b")?.textContent')),
    'MP4 video · 720p · 64.0 KB');
  await popup('document.querySelector("#media button").click()');
  assert.strictEqual(await until('the answer', () => popup('document.getElementById("answer").textContent')),
    `Sent to Vidtrawl: ${page}/media/clip-720p.mp4?token=a1`);

  // The link's menu item, through the extension's own listener.
  await background(`chrome.contextMenus.onClicked.dispatch({menuItemId: 'download-with-vidtrawl',
    linkUrl: '${page}/watch/next', pageUrl: '${page}/watch'}, {id: ${tab}, url: '${page}/watch'})`);
  assert.strictEqual(await until('the link\'s answer', () => background(`chrome.action.getTitle({tabId: ${tab}})
    .then(title => title !== 'Vidtrawl' && title)`)), `Vidtrawl: Sent to Vidtrawl: ${page}/watch/next`);

  // Both in the desktop's list; the video named after the page (once its server has refused it:
  // the cookie goes with an item's requests only once the engine carries it).
  const listFile = path.join(home, '.local/share/vidtrawl/list.json');
  const items = await until('the list', () => {
    const list = fs.existsSync(listFile) && JSON.parse(fs.readFileSync(listFile, 'utf8')).items;
    return list?.length === 2 && list[0]['file name'] && list;
  });
  assert.deepStrictEqual(items.map(item => item.address), [page + '/media/clip-720p.mp4?token=a1', page + '/watch/next']);
  assert.strictEqual(items[0]['file name'], TITLE + '.mp4');
});
