// A minimal WASI (preview 1) host for nerith's modules, for Node and browsers
// alike (no node:wasi): the standard output and error, line by line, go to the
// console; every other call is refused (ENOSYS), as a module that never needs
// a file, clock or random number may be. wasiImports(() => memory) takes the
// instance's memory lazily: it exists only once the module is instantiated.
const SUCCESS = 0, BADF = 8, NOSYS = 52, SPIPE = 70;

export function wasiImports(getMemory) {
  const decoders = [null, new TextDecoder(), new TextDecoder()];
  const pending = ["", "", ""];
  const fd_write = (fd, iovs, iovsLength, writtenAt) => {
    if (fd !== 1 && fd !== 2) return BADF;
    const { buffer } = getMemory();
    const view = new DataView(buffer);
    let written = 0;
    for (let i = 0; i < iovsLength; i++) {
      const at = view.getUint32(iovs + 8 * i, true), length = view.getUint32(iovs + 8 * i + 4, true);
      pending[fd] += decoders[fd].decode(new Uint8Array(buffer, at, length), { stream: true });
      written += length;
    }
    view.setUint32(writtenAt, written, true);
    const lines = pending[fd].split("\n");
    pending[fd] = lines.pop();
    for (const line of lines) (fd === 1 ? console.log : console.error)(line);
    return SUCCESS;
  };
  const calls = {
    fd_write,
    fd_close: (fd) => (fd <= 2 ? SUCCESS : BADF),
    fd_seek: (fd) => (fd <= 2 ? SPIPE : BADF),
    proc_exit: (code) => { throw new Error(`the module exited with ${code}`); },
  };
  return { wasi_snapshot_preview1: new Proxy(calls, { get: (own, name) => own[name] ?? (() => NOSYS) }) };
}
