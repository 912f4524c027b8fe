// The extension in headless Chromium (DevTools over a pipe) and Firefox (Marionette), with the
// built host and the desktop program under Xvfb: the video a page's script finds is in the popup,
// whose "Download" lists it in the desktop, named after the page, and the desktop downloads it with
// the browser's cookie; the link menu adds a link.
'use strict';
const {test} = require('node:test');
const assert = require('node:assert');
const {spawn} = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');

const build = process.env.VIDTRAWL_BUILD_DIR;
const FIREFOX_UUID = '3c1e8f1a-6d1b-4c39-9d7b-2a8f0c5e7b11';
const sleep = ms => new Promise(done => setTimeout(done, ms));
function placeHost(browser, folder) {
  fs.mkdirSync(folder, {recursive: true});
  fs.copyFileSync(path.join(build, `native-messaging-hosts/${browser}/org.example.vidtrawl.json`),
    path.join(folder, 'org.example.vidtrawl.json'));
}

async function until(what, check) {
  for (const end = Date.now() + 20000; Date.now() < end; await sleep(100)) {
    const value = await check().catch(() => undefined);
    if (value)
      return value;
  }
  throw new Error('timed out waiting for ' + what);
}

// The page sets a cookie; its script fetches the video's address; the video needs the cookie.
function startSite() {
  const pages = {
    '/watch': ['text/html', `<title>Harbour at dawn</title><video id="player" muted></video><script>
      fetch('/api/clip.json').then(answer => answer.json()).then(clip => { player.src = clip.src; });</script>`],
    '/api/clip.json': ['application/json', JSON.stringify({src: '/media/clip-720p.mp4?token=a1'})],
    '/media/clip-720p.mp4?token=a1': ['video/mp4', Buffer.alloc(65536)],
  };
  const server = http.createServer((request, response) => {
    const [type, body] = pages[request.url] ?? [];
    if (!body || (type === 'video/mp4' && !/session=s3cret/.test(request.headers.cookie)))
      return response.writeHead(403).end();
    response.writeHead(200, {'Content-Type': type, 'Content-Length': body.length, 'Set-Cookie': 'session=s3cret'}).end(body);
  });
  return new Promise(done => server.listen(0, '127.0.0.1', () => done(server)));
}

// Calls over a stream: `frame` makes a call, `unframe` takes [message, rest], `reply` [id, error, result].
function protocol(write, readable, frame, unframe, reply) {
  let received = Buffer.alloc(0), next = 0;
  const waiting = new Map();
  readable.on('data', data => {
    received = Buffer.concat([received, data]);
    for (let taken; (taken = unframe(received)); received = taken[1]) {
      const [id, error, result] = reply(taken[0]);
      waiting.get(id)?.(error, result);
    }
  });
  return (method, params = {}, extra = {}) => new Promise((done, fail) => {
    waiting.set(++next, (error, result) => error ? fail(new Error(JSON.stringify(error))) : done(result));
    write(frame(next, method, params, extra));
  });
}

// Each browser: `ext(expression)` evaluates in the extension (its background's mediaOf and
// menuClicked at hand), `open(url)` opens a tab and gives an evaluator in its page.
const browsers = {
  async chromium(env, work) {
    placeHost('chromium', path.join(work, 'profile/NativeMessagingHosts'));
    const child = spawn('chromium', ['--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--remote-debugging-pipe', '--user-data-dir=' + path.join(work, 'profile'),
      '--load-extension=' + path.join(build, 'extension'), 'about:blank'],
    {env, stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe']});
    const call = protocol(bytes => child.stdio[3].write(bytes), child.stdio[4],
      (id, method, params, session) => JSON.stringify({id, method, params, ...session}) + '\0',
      bytes => bytes.includes(0) && [JSON.parse(bytes.subarray(0, bytes.indexOf(0))), bytes.subarray(bytes.indexOf(0) + 1)],
      message => [message.id, message.error, message.result]);
    const inTarget = async targetId => {
      const {sessionId} = await call('Target.attachToTarget', {targetId, flatten: true});
      return async expression => (await call('Runtime.evaluate',
        {expression, awaitPromise: true, returnByValue: true, userGesture: true}, {sessionId})).result.value;
    };
    const base = 'chrome-extension://fbdecleinkhcbmoclcklflijekklgmed';
    const worker = await until('the extension', async () => (await call('Target.getTargets'))
      .targetInfos.find(target => target.url === base + '/background.js'));
    const open = async url => inTarget((await call('Target.createTarget', {url})).targetId);
    // The user's yes to the popup's cookies button: a permission of no warning, granted at a gesture.
    const grantCookies = popup => popup("chrome.permissions.request({permissions: ['cookies']}).then(String, e => 'error ' + e.message)");
    return {child, base, open, grantCookies, ext: await inTarget(worker.targetId)};
  },

  async firefox(env, work) {
    const profile = path.join(work, 'profile');
    placeHost('firefox', path.join(env.HOME, '.mozilla/native-messaging-hosts'));
    fs.mkdirSync(profile);
    // Marionette on a port of its choice, which it writes into the profile.
    fs.writeFileSync(path.join(profile, 'user.js'), 'user_pref("marionette.port", 0);\n' +
      `user_pref("extensions.webextensions.uuids", '{"browser@vidtrawl.example.org":"${FIREFOX_UUID}"}');\n`);
    const child = spawn('firefox-esr', ['--headless', '--marionette', '--remote-allow-system-access',
      '--no-remote', '--profile', profile, 'about:blank'], {env, stdio: 'ignore'});
    const port = await until('Marionette', async () => Number(fs.readFileSync(path.join(profile, 'MarionetteActivePort'))));
    const socket = net.connect(port, '127.0.0.1');
    const marionette = protocol(bytes => socket.write(bytes), socket,
      (id, name, params) => { const text = JSON.stringify([0, id, name, params]); return Buffer.byteLength(text) + ':' + text; },
      bytes => { const colon = bytes.indexOf(58), end = Number(bytes.subarray(0, colon)) + colon + 1;
        return colon > 0 && bytes.length >= end && [JSON.parse(bytes.subarray(colon + 1, end)), bytes.subarray(end)]; },
      message => Array.isArray(message) ? message.slice(1) : [0]);
    await marionette('WebDriver:NewSession');
    await marionette('Addon:Install', {path: path.join(build, 'extension'), temporary: true});
    // Marionette navigates to no extension page: the browser's own code opens each tab.
    const open = async url => {
      const before = await marionette('WebDriver:GetWindowHandles');
      await marionette('Marionette:SetContext', {value: 'chrome'});
      await marionette('WebDriver:ExecuteScript', {script: `gBrowser.selectedTab = gBrowser.addTab(arguments[0],
        {triggeringPrincipal: Services.scriptSecurityManager.getSystemPrincipal()});`, args: [url]});
      await marionette('Marionette:SetContext', {value: 'content'});
      const handle = await until('the tab', async () =>
        (await marionette('WebDriver:GetWindowHandles')).find(one => !before.includes(one)));
      return async expression => {
        await marionette('WebDriver:SwitchToWindow', {handle});
        return (await marionette('WebDriver:ExecuteAsyncScript', {script: `const done = arguments[0];
          (async () => { const {mediaOf, menuClicked} = await browser.runtime.getBackgroundPage?.() ?? {};
            return ${expression}; })().then(done, () => done());`})).value;
      };
    };
    const base = 'moz-extension://' + FIREFOX_UUID;
    // The user's yes to the popup's cookies button, given as the add-ons manager gives it.
    const grantCookies = async popup => {
      await marionette('Marionette:SetContext', {value: 'chrome'});
      await marionette('WebDriver:ExecuteAsyncScript', {script: `const done = arguments[0];
        const {ExtensionPermissions} = ChromeUtils.importESModule('resource://gre/modules/ExtensionPermissions.sys.mjs');
        const id = 'browser@vidtrawl.example.org', {extension} = WebExtensionPolicy.getByID(id);
        ExtensionPermissions.add(id, {permissions: ['cookies'], origins: []}, extension).then(done, done);`});
      await marionette('Marionette:SetContext', {value: 'content'});
      return popup("browser.permissions.contains({permissions: ['cookies']}).then(String)");
    };
    return {child, base, open, grantCookies, ext: await open(base + '/popup.html')};
  },
};

for (const [name, start] of Object.entries(browsers)) {
  const missing = [name === 'firefox' ? 'firefox-esr' : name, 'Xvfb'].filter(tool =>
    !(process.env.PATH || '').split(':').some(folder => fs.existsSync(path.join(folder, tool))));
  test(`${name}: the popup and the link menu hand items to the desktop program`, {
    skip: missing.length > 0 && process.env.CI !== 'true' ? missing.join(', ') + ' not installed' : false,
  }, async t => {
    assert.deepStrictEqual(missing, [], 'needed');
    const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vidtrawl-browser-')); // the runtime folder too
    const home = path.join(work, 'home');
    const site = await startSite();
    const page = `http://127.0.0.1:${site.address().port}`;
    const children = [spawn('Xvfb', ['-displayfd', '3', '-nolisten', 'tcp'], {stdio: ['ignore', 'ignore', 'ignore', 'pipe']})];
    t.after(async () => {
      for (const child of children.reverse())
        if (child.exitCode === null && child.signalCode === null)
          await new Promise(done => child.once('exit', done).kill());
      site.close();
      fs.rmSync(work, {recursive: true, force: true});
    });
    let display = '';
    children[0].stdio[3].on('data', data => { display += data; });
    await until('Xvfb', async () => display.endsWith('\n'));
    // Every connection goes to loopback (as the page's own do): the desktop is not offline then.
    const env = {PATH: process.env.PATH, HOME: home, XDG_RUNTIME_DIR: work, DISPLAY: ':' + display.trim(),
      VIDTRAWL_CONNECT_TO: '::127.0.0.1:',
      QT_QPA_PLATFORM: 'xcb', LC_ALL: 'C.UTF-8', // and a sanitizer build's options, for its programs
      ...Object.fromEntries(Object.entries(process.env).filter(([name]) => name.endsWith('SAN_OPTIONS')))};
    children.push(spawn(path.join(build, 'bin/vidtrawl'), [], {env, stdio: 'ignore'}));
    await until('the desktop program', async () => fs.existsSync(path.join(work, 'vidtrawl-program-' + env.DISPLAY)));
    const browser = await start(env, work);
    children.push(browser.child);

    // The page, and the video its script found, in the extension's list of the tab.
    await until('the extension', () => browser.ext('typeof menuClicked === "function"'));
    await browser.open(page + '/watch');
    const tab = await until('the page', () => browser.ext(`chrome.tabs.query({})
      .then(tabs => tabs.find(one => one.url === '${page}/watch' && one.status === 'complete'))`));
    const media = await until('the video', () => browser.ext(`mediaOf(${tab.id}).then(list => list.length && list)`));
    const video = page + '/media/clip-720p.mp4?token=a1';
    assert.deepStrictEqual(media.map(entry => [entry.url, entry.kind, entry.quality, entry.size]),
      [[video, 'file', 720, 65536]]);

    // Its "Download" in the popup, and the link's menu item.
    const popup = await browser.open(`${browser.base}/popup.html#tab=${tab.id}`);
    assert.strictEqual(await until('the popup', () => popup('document.querySelector("#media b")?.textContent')),
      'MP4 video · 720p · 64.0 KB');
    assert.strictEqual(await browser.grantCookies(popup), 'true');
    await popup('document.querySelector("#media button").click()');
    assert.strictEqual(await until('the answer', () => popup('document.getElementById("answer").textContent')),
      'Sent to Vidtrawl: ' + video);
    assert.deepStrictEqual(await browser.ext(`menuClicked({menuItemId: 'download-with-vidtrawl',
      linkUrl: '${page}/watch/next', pageUrl: '${page}/watch'}, ${JSON.stringify(tab)})`),
    {ok: true, text: `Sent to Vidtrawl: ${page}/watch/next`});

    // Both in the desktop's list, the video named after the page and downloaded whole with the
    // browser's cookie, which its server asks for; the list file keeps no cookie.
    const listFile = path.join(home, '.local/share/vidtrawl/list.json');
    const items = await until('the video downloaded', async () => {
      const list = JSON.parse(fs.readFileSync(listFile)).items;
      return list.length === 2 && list[0].phase === 'complete' && list;
    });
    assert.deepStrictEqual([items[0].address, items[0]['file name'], items[1].address],
      [video, 'Harbour at dawn.mp4', page + '/watch/next']);
    assert.strictEqual(fs.statSync(path.join(items[0].folder, 'Harbour at dawn.mp4')).size, 65536);
    assert.ok(!fs.readFileSync(listFile, 'utf8').includes('s3cret'));
  });
}
